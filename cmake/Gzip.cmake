# cmake -DINPUT=file -DOUTPUT=file.gz -P Gzip.cmake
# Compresses as Debian's tools do: best compression, and no file name or time stamp in
# the header (gzip -9n), so the same input always gives the same bytes.
cmake_minimum_required(VERSION 3.25)
find_program(GZIP gzip REQUIRED)
execute_process(COMMAND ${GZIP} -9n -c ${INPUT} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "gzip -9n ${INPUT} failed: ${status}")
endif()
