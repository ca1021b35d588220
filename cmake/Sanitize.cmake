# STEPDIAL_SANITIZE: every target of the tree, libraries and programs alike, with
# AddressSanitizer (LeakSanitizer included) and UBSan, and no recovery, so a finding
# fails the test that met it. STEPDIAL_BUILD_FUZZ adds libFuzzer's coverage
# instrumentation; the fuzz targets link libFuzzer's main themselves.
# The test folders read STEPDIAL_SANITIZE to leave out what cannot carry a sanitizer
# runtime (static programs, cross builds, the shipped package).
if(STEPDIAL_BUILD_FUZZ AND NOT STEPDIAL_SANITIZE)
  message(FATAL_ERROR "STEPDIAL_BUILD_FUZZ needs STEPDIAL_SANITIZE=ON: the fuzzer finds faults through the sanitizers")
endif()

if(STEPDIAL_SANITIZE)
  if(STEPDIAL_HARDEN)
    # _FORTIFY_SOURCE wants optimisation, and the sanitizers check what it checks.
    message(FATAL_ERROR "STEPDIAL_SANITIZE and STEPDIAL_HARDEN exclude each other")
  endif()
  set(stepdial_sanitizers -fsanitize=address,undefined)
  if(STEPDIAL_BUILD_FUZZ)
    set(stepdial_sanitizers -fsanitize=fuzzer-no-link,address,undefined)
  endif()
  add_compile_options(${stepdial_sanitizers} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
