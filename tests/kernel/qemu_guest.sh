#!/usr/bin/env bash
# Proves the Linux port backend against the kernel's own parallel-port drivers: boots a
# Debian kernel under qemu with an emulated port at 0x378 and runs port_check in it; and
# the USB board's backend against the kernel's USB stack, with usb_check and an emulated
# FT232R (ft232r_gadget).
#
#   qemu_guest.sh prepare WORKDIR PORT_CHECK USB_CHECK GADGET
#                                              fetch the kernel, build the initramfs
#   qemu_guest.sh boot WORKDIR BOOT            boot once; BOOT is one of the boots
#                                              guest_init.sh runs (tests/kernel/CMakeLists.txt)
#
# Everything comes from Debian's packages; the kernel package is only unpacked here,
# never installed. Any failure fails the test, a download too once the pin and the
# current kernel both cannot be had.
set -euo pipefail

# The kernel the guest runs, and with it the parport drivers: the kernel of the release
# this machine runs, as each release's archive holds only its own. Debian drops a kernel
# ABI's packages from its archive a while after the next ABI comes out: when the pin can
# no longer be downloaded, the guest takes the kernel that linux-image-amd64 depends on at
# that moment and says so. STEPDIAL_KERNEL_PIN replaces the pin, to try that path.
# The arm64 guest (arm64_guest.sh) sources this file with GUEST_ARCH=arm64 and takes the
# same release's arm64 kernel, downloaded as a foreign architecture's package.
GUEST_ARCH="${GUEST_ARCH:-amd64}"
# shellcheck disable=SC1091
release_pin=$(. /etc/os-release && [ "${VERSION_CODENAME:-}" = bookworm ] &&
    echo "linux-image-6.1.0-57-$GUEST_ARCH" || echo "linux-image-6.12.118+deb13-$GUEST_ARCH")
KERNEL_PIN="${STEPDIAL_KERNEL_PIN:-$release_pin}"
KERNEL_META="linux-image-$GUEST_ARCH"
KERNEL_QUALIFIER=""
[ "$GUEST_ARCH" = "$(dpkg --print-architecture)" ] || KERNEL_QUALIFIER=":$GUEST_ARCH"
# The modules the boots load; whatever these depend on comes along. The USB boot's: the
# emulated host controller with its device side, FunctionFS, and the FTDI serial driver.
GUEST_MODULES=(parport parport_pc ppdev lp dummy_hcd usb_f_fs ftdi_sio)

here="$(cd "$(dirname "$0")" && pwd)"

die() {
    echo "qemu_guest: $*" >&2
    exit 1
}

need() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || die "$tool is missing: run scripts/install-deps"
    done
}

is_static() {
    ! readelf -l "$1" | grep -q 'program interpreter'
}

# The newest cached .deb of package $2 in directory $1, or nothing.
cached_deb() {
    find "$1" -maxdepth 1 -name "${2%%:*}_*.deb" | LC_ALL=C sort -V | tail -n 1
}

# Downloads package $2 into directory $1; quiet on success, apt's own words on failure.
# Run by root, apt fetches as its user _apt, which must be able to write where it saves.
download_deb() {
    local cache="$1" package="$2" partial
    partial="$(mktemp -d)"
    [ "$(id -u)" -ne 0 ] || ! id _apt >/dev/null 2>&1 || chown _apt "$partial"
    if (cd "$partial" && apt-get download -q "$package" >&2); then
        mv "$partial"/*.deb "$cache/"
        rm -rf "$partial"
        return 0
    fi
    rm -rf "$partial"
    return 1
}

# The kernel image package linux-image-amd64 (or -arm64) depends on in the package lists now.
current_kernel_package() {
    { apt-cache depends "$KERNEL_META$KERNEL_QUALIFIER" 2>/dev/null || true; } |
        sed -n "s/^ *Depends: \\(linux-image-[^ <>:]*-$GUEST_ARCH\\)\\(:$GUEST_ARCH\\)\\?\$/\\1/p" | head -n 1
}

# Sets KERNEL_PACKAGE, KERNEL_DEB and KERNEL_NOTE: the pin, downloaded once into the
# cache under the build tree, else the current kernel.
fetch_kernel_package() {
    local cache="$1/cache"
    mkdir -p "$cache"
    need apt-get apt-cache
    KERNEL_PACKAGE="$KERNEL_PIN"
    KERNEL_NOTE="the pinned kernel"
    KERNEL_DEB="$(cached_deb "$cache" "$KERNEL_PIN")"
    [ -n "$KERNEL_DEB" ] && return 0
    download_deb "$cache" "$KERNEL_PIN$KERNEL_QUALIFIER" && KERNEL_DEB="$(cached_deb "$cache" "$KERNEL_PIN")" && return 0

    # Lists older than the pin do not know it yet; only root may refresh them.
    if [ "$(id -u)" -eq 0 ]; then
        echo "qemu_guest: $KERNEL_PIN cannot be downloaded; refreshing the package lists (apt-get update) to try again"
        apt-get update -qq >&2 || echo "qemu_guest: apt-get update failed; going on with the package lists as they are"
        download_deb "$cache" "$KERNEL_PIN$KERNEL_QUALIFIER" && KERNEL_DEB="$(cached_deb "$cache" "$KERNEL_PIN")" && return 0
    else
        echo "qemu_guest: not root, so the package lists stay as they are (apt-get update needs root)"
    fi

    local current
    current="$(current_kernel_package)"
    [ -n "$current" ] || die "cannot download the pinned $KERNEL_PIN, and $KERNEL_META depends on no linux-image-*-$GUEST_ARCH package in the lists"
    echo "qemu_guest: FALLBACK: the pinned kernel package $KERNEL_PIN cannot be downloaded (no longer in the archive?)"
    echo "qemu_guest: FALLBACK: using $current, the kernel package $KERNEL_META depends on now; pin it at the top of $0"
    KERNEL_PACKAGE="$current"
    KERNEL_NOTE="fallback for the pinned $KERNEL_PIN, which cannot be downloaded"
    KERNEL_DEB="$(cached_deb "$cache" "$current")"
    [ -n "$KERNEL_DEB" ] && return 0
    download_deb "$cache" "$current$KERNEL_QUALIFIER" || die "cannot download $current either"
    KERNEL_DEB="$(cached_deb "$cache" "$current")"
    [ -n "$KERNEL_DEB" ] || die "no .deb of $current in $cache"
}

# The first path in the package's file list (file $1) matching the extended regex $2;
# nothing, and no failure, when none does.
member() {
    grep -E "$2" "$1" | head -n 1 || true
}

# The modules module $1 needs loaded before it, as its own modinfo says: "a,b". kmod's
# modinfo reads a module of any architecture; objcopy fails on another's and deletes its
# output file, which must never be /dev/stdout.
depends_of() {
    PATH="$PATH:/usr/sbin:/sbin" modinfo -F depends "$1"
}

# vmlinuz, and each module of GUEST_MODULES with its dependencies as plain .ko, in
# WORKDIR/kernel/<the .deb's name>: nothing of the layout is assumed but that vmlinuz
# sits in boot/ and the modules under lib/modules/<release>/ (or usr/lib/modules). For each
# module M, M.load lists the modules to insmod for it in order, deps first; a module the
# kernel has built in is left out of it.
unpack_kernel() {
    local work="$1" deb="$2"
    local dest
    dest="$work/kernel/$(basename "$deb" .deb)"
    # Unpacked before, for the same modules: nothing to do.
    if [ -f "$dest/complete" ]; then
        local ready=1 module
        for module in "${GUEST_MODULES[@]}"; do [ -f "$dest/$module.load" ] || ready=0; done
        [ "$ready" -eq 1 ] && return 0
    fi
    local tree="$work/kernel/unpack"
    rm -rf "$tree" "$dest" && mkdir -p "$tree" "$dest"
    local list="$tree.list"
    dpkg-deb --fsys-tarfile "$deb" | tar -t >"$list"

    local vmlinuz
    vmlinuz="$(member "$list" '^(\./)?boot/vmlinuz-[^/]+$')"
    [ -n "$vmlinuz" ] || die "$deb holds no boot/vmlinuz-*"
    local modules_dir='^(\./)?(usr/)?lib/modules/[^/]+/'
    local builtin
    builtin="$(member "$list" "${modules_dir}modules\.builtin$")"

    # Rounds over the dependencies, one pass through the package each (it is large): the
    # wanted modules, then what they need that is not there yet. A module's file name may
    # spell _ as -.
    local -A seen=() builtins=()
    local round=("${GUEST_MODULES[@]}") extract=("$vmlinuz" ${builtin:+"$builtin"})
    local found=() module file name dep next
    while [ ${#round[@]} -gt 0 ]; do
        found=()
        for module in "${round[@]}"; do
            [ -n "${seen[$module]:-}" ] && continue
            seen[$module]=1
            name="${module//_/[_-]}"
            file="$(member "$list" "${modules_dir}.*/${name}\.ko(\.xz|\.zst|\.gz)?$")"
            if [ -n "$file" ]; then
                found+=("$module") && extract+=("$file")
                echo "$file" >"$dest/$module.from"
            else
                builtins[$module]=1
            fi
        done
        [ ${#extract[@]} -eq 0 ] || dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$tree" "${extract[@]}"
        extract=()
        next=()
        for module in "${found[@]}"; do
            file="$(cat "$dest/$module.from")" && rm "$dest/$module.from"
            case "$file" in
            *.ko) cp "$tree/$file" "$dest/$module.ko" ;;
            *.ko.xz) xz -dc "$tree/$file" >"$dest/$module.ko" ;;
            *.ko.gz) gzip -dc "$tree/$file" >"$dest/$module.ko" ;;
            *.ko.zst) need zstd && zstd -qdc "$tree/$file" >"$dest/$module.ko" ;;
            esac
            for dep in $(depends_of "$dest/$module.ko" | tr ',' ' '); do next+=("$dep"); done
        done
        round=("${next[@]}")
    done
    cp "$tree/$vmlinuz" "$dest/vmlinuz"
    for module in "${!builtins[@]}"; do
        if [ -z "$builtin" ] || ! grep -Eq "/${module//_/[_-]}\.ko$" "$tree/$builtin"; then
            die "$deb holds no $module module and does not have it built in"
        fi
    done

    # Load orders, depth-first: a module after everything it depends on.
    order_of() {
        local m="$1" d
        [ -n "${builtins[$m]:-}" ] && return 0
        for d in $(depends_of "$dest/$m.ko" | tr ',' ' '); do order_of "$d"; done
        echo "$m"
    }
    for module in "${GUEST_MODULES[@]}"; do
        order_of "$module" | awk '!seen[$0]++' >"$dest/$module.load"
    done
    echo "${vmlinuz#./}" >"$dest/complete"
    rm -rf "$tree" "$list"
}

# The package's udev rules, judged by Debian's own udevadm beside systemd's seat rules.
UDEV_RULES=("$here/../../packaging/linux/70-stepdial-parport.rules" "$here/../../packaging/linux/70-stepdial-usb.rules")

# Puts udevadm (from the udev package), the libraries it links, systemd's seat rules and
# the package's rule into the initramfs tree $2. systemd's private library, which udevadm
# links and a machine without systemd lacks, comes with the downloaded packages (of the
# same version as udevadm); the others are taken as this machine has them.
add_udev() {
    local work="$1" root="$2" tree="$1/udev-unpack" package udevadm lib private
    rm -rf "$tree" && mkdir -p "$tree" "$root/usr/lib/udev/rules.d" "$root/run"
    for package in udev systemd libsystemd-shared; do
        [ -n "$(cached_deb "$work/cache" "$package")" ] || download_deb "$work/cache" "$package" || die "cannot download $package"
        dpkg-deb -x "$(cached_deb "$work/cache" "$package")" "$tree"
    done
    udevadm="$(find "$tree" -path '*bin/udevadm' -type f | head -n 1)"
    private="$(find "$tree" -name 'libsystemd-shared-*.so' -printf '%h:' )"
    [ -n "$udevadm" ] && ! LD_LIBRARY_PATH="$private" ldd "$udevadm" | grep 'not found' >&2 ||
        die "no udevadm, or it needs libraries neither this machine nor the udev packages have"
    cp "$udevadm" "$root/bin/"
    for lib in $(LD_LIBRARY_PATH="$private" ldd "$udevadm" | grep -oE '/[^ ]+'); do
        mkdir -p "$root$(dirname "${lib#"$tree"}")" && cp -L "$lib" "$root${lib#"$tree"}"
    done
    cp "$(find "$tree" -name 73-seat-late.rules | head -n 1)" "${UDEV_RULES[@]}" "$root/usr/lib/udev/rules.d/"
    rm -rf "$tree"
}

# Puts the libraries the dynamic program $1 links, as this machine has them, into the
# initramfs tree $2.
add_libraries() {
    local lib
    for lib in $(ldd "$1" | grep -oE '/[^ ]+'); do
        mkdir -p "$2$(dirname "$lib")" && cp -L "$lib" "$2$lib"
    done
}

# Puts the dynamic program $1 and the libraries it links into the initramfs tree $2.
add_dynamic() {
    cp "$1" "$2/bin/" && add_libraries "$1" "$2"
}

# The package's scripts and option, and what runs them as on Debian (dash, kmod, ischroot, setfacl) in /usr/bin,
# apart from busybox's applets; /lib and /usr/lib, which kmod reads by its version, are two folders here.
add_package() {
    local root="$1" tool linux="$here/../../packaging/linux"
    mkdir -p "$root/pkg" "$root/etc/modprobe.d" "$root/usr/lib/modprobe.d" "$root/usr/bin"
    cp "$linux/postinst" "$linux/postrm" "$root/pkg/" && cp "$linux/stepdial-lp.conf" "$root/usr/lib/modprobe.d/"
    ln -s ../usr/lib/modprobe.d "$root/lib/modprobe.d" && ln -s ../../lib/modules "$root/usr/lib/modules"
    for tool in dash kmod ischroot setfacl getfacl setpriv; do
        need "$tool" && tool="$(command -v "$tool")" && cp "$tool" "$root/usr/bin/" && add_libraries "$tool" "$root"
    done
    ln -s kmod "$root/usr/bin/modprobe" && ln -s kmod "$root/usr/bin/depmod"
}

prepare() {
    local work program="$2" usb_check="$3" gadget="$4"
    mkdir -p "$1" && work="$(cd "$1" && pwd)"
    need dpkg-deb tar xz gzip cpio readelf qemu-system-x86_64
    [ -x "$program" ] || die "no test program at $program"
    is_static "$program" || die "$program is not statically linked"
    is_static "$gadget" || die "$gadget is not statically linked"
    if ! [ -x /bin/busybox ] || ! is_static /bin/busybox; then
        die "/bin/busybox is not the static one: install busybox-static"
    fi

    fetch_kernel_package "$work"
    unpack_kernel "$work" "$KERNEL_DEB"
    local kernel
    kernel="$work/kernel/$(basename "$KERNEL_DEB" .deb)"

    local root="$work/initramfs-root"
    rm -rf "$root"
    mkdir -p "$root"/{bin,dev,proc,sys,lib/modules}
    cp /bin/busybox "$program" "$gadget" "$root/bin/"
    add_dynamic "$usb_check" "$root"
    cp "$kernel"/*.ko "$kernel"/*.load "$root/lib/modules/"
    cp "$here/guest_init.sh" "$root/init"
    add_udev "$work" "$root"
    add_package "$root"
    chmod 755 "$root/init" "$root/bin/"*
    (cd "$root" && find . | LC_ALL=C sort | cpio -o -H newc -R 0:0 --quiet) >"$work/initramfs.cpio.tmp"
    mv "$work/initramfs.cpio.tmp" "$work/initramfs.cpio"
    ln -sfn "$kernel/vmlinuz" "$work/vmlinuz"
    echo "$KERNEL_PACKAGE ($(basename "$KERNEL_DEB"), $KERNEL_NOTE)" >"$work/kernel-package"
    echo "guest ready: $(cat "$work/kernel-package"), $(cat "$kernel/complete"), initramfs $(du -k "$work/initramfs.cpio" | cut -f1) KiB"
}

boot() {
    local work boot="$2"
    work="$(cd "$1" && pwd)" || die "no guest in $1"
    need qemu-system-x86_64 timeout
    if ! [ -f "$work/initramfs.cpio" ] || ! [ -e "$work/vmlinuz" ]; then
        die "guest not prepared in $work"
    fi

    local port=()
    # shellcheck disable=SC2054 # the commas are qemu's own option syntax
    case "$boot" in
    ppdev | busy | foreign | udev | lp | lp_poll | direct | direct_input) port=(-chardev null,id=lpt -device isa-parallel,chardev=lpt,iobase=0x378,irq=7) ;;
    # Two ports, LPT2 numbered parport0 and ours parport1: the machine's ACPI tables list
    # the ISA ports in the reverse order of these options (seen with qemu 7.2).
    second) port=(-chardev null,id=lpt -device isa-parallel,chardev=lpt,index=0,iobase=0x378,irq=7
                  -chardev null,id=lpt2 -device isa-parallel,chardev=lpt2,index=1,iobase=0x278,irq=5) ;;
    # A plug-in card's port: the only one, and not at 0x378.
    card) port=(-chardev null,id=lpt -device isa-parallel,chardev=lpt,iobase=0x278,irq=5) ;;
    absent | usb) ;;
    *) die "unknown boot '$boot'" ;;
    esac

    local log="$work/$boot.log"
    rm -f "$log"
    echo "kernel: $(cat "$work/kernel-package" 2>/dev/null || echo unknown)"
    local status=0
    # TCG: no dependable KVM here. -nodefaults leaves out every device not named below,
    # the default parallel port among them. On a busy host the emulated timer can miss
    # the kernel's early check of its interrupt, which then panics ("IO-APIC + timer
    # doesn't work"); no_timer_check skips that check, as virtual machines commonly do.
    timeout --kill-after=10 "${STEPDIAL_GUEST_TIMEOUT:-180}" qemu-system-x86_64 \
        -accel tcg -m 256 -nodefaults -no-reboot -display none -monitor none \
        -serial "file:$log" \
        -device isa-debug-exit,iobase=0xf4,iosize=0x04 \
        "${port[@]}" \
        -kernel "$work/vmlinuz" -initrd "$work/initramfs.cpio" \
        -append "console=ttyS0 panic=-1 no_timer_check stepdial.boot=$boot" || status=$?

    # The exit device turns the guest's value v into status 2v+1: 1 is the guest's 0.
    local passed=0
    if [ "$status" -eq 1 ] && grep -q "^stepdial-guest: verdict 0" "$log" &&
        grep -Eq "^port_check $boot: [1-9][0-9]* checks, 0 failed" "$log" &&
        ! grep -Eq "^(port_check|second program) [^:]*: [0-9]+ checks, [1-9]" "$log"; then
        passed=1
    fi
    if [ "$passed" -eq 1 ]; then
        grep -E '^(ok|FAIL|     |port_check|second program|figures|stepdial-guest)' "$log" || true
        if [ "$boot" = usb ]; then
            echo "figures usb: the board's bytes as the gadget received them, intervals in ms:" \
                "COUNT MEAN MIN P50 P99 MAX WITHIN BAND"
            echo "figures usb: $(sed -n 's/^tick_us //p' "$log" | python3 "$here/../../scripts/tick_intervals.py")"
        fi
        echo "boot $boot: passed"
        return 0
    fi
    cat "$log" 2>/dev/null || true
    case "$status" in
    124 | 137) echo "boot $boot: FAILED: no verdict within the time limit" ;;
    0) echo "boot $boot: FAILED: the guest ended without a verdict (panic or power-off)" ;;
    *) echo "boot $boot: FAILED: qemu status $status (guest verdict $(((status - 1) / 2)))" ;;
    esac
    return 1
}

# Sourced by arm64_guest.sh for the functions above, it runs nothing.
[ "${BASH_SOURCE[0]}" = "$0" ] || return 0
case "${1:-}" in
prepare) [ $# -eq 5 ] || die "usage: $0 prepare WORKDIR PORT_CHECK USB_CHECK GADGET"; prepare "$2" "$3" "$4" "$5" ;;
boot) [ $# -eq 3 ] || die "usage: $0 boot WORKDIR BOOT"; boot "$2" "$3" ;;
*) die "usage: $0 prepare WORKDIR PORT_CHECK USB_CHECK GADGET | boot WORKDIR BOOT" ;;
esac
