#!/usr/bin/env bash
# Proves the Linux port backend against the kernel's own parallel-port drivers: boots a
# Debian kernel under qemu with an emulated port at 0x378 and runs port_check in it.
#
#   qemu_guest.sh prepare WORKDIR PORT_CHECK   fetch the kernel, build the initramfs
#   qemu_guest.sh boot WORKDIR BOOT            boot once; BOOT is ppdev, second, direct or absent
#
# Everything comes from Debian's packages; the kernel package is only unpacked here,
# never installed. Any failure, a download included, fails the test.
set -euo pipefail

# The kernel the guest runs, and with it the parport, parport_pc and ppdev modules.
KERNEL_PACKAGE=linux-image-6.1.0-57-amd64

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

# The package's .deb, downloaded once into the cache under the build tree.
fetch_kernel_package() {
    local cache="$1/cache"
    mkdir -p "$cache"
    local deb
    deb="$(find "$cache" -maxdepth 1 -name "${KERNEL_PACKAGE}_*.deb" | head -n 1)"
    if [ -z "$deb" ]; then
        need apt-get
        local partial="$cache/partial"
        rm -rf "$partial" && mkdir -p "$partial"
        if ! (cd "$partial" && apt-get download -q "$KERNEL_PACKAGE" >&2); then
            # Lists older than the pin do not know it yet; only root may refresh them.
            [ "$(id -u)" -eq 0 ] || die "cannot download $KERNEL_PACKAGE (run apt-get update as root)"
            apt-get update -qq >&2 || die "apt-get update failed"
            (cd "$partial" && apt-get download -q "$KERNEL_PACKAGE" >&2) ||
                die "cannot download $KERNEL_PACKAGE: is it still in the archive? Pin a current one at the top of $0"
        fi
        mv "$partial"/*.deb "$cache/"
        rm -rf "$partial"
        deb="$(find "$cache" -maxdepth 1 -name "${KERNEL_PACKAGE}_*.deb" | head -n 1)"
    fi
    [ -n "$deb" ] || die "no .deb of $KERNEL_PACKAGE in $cache"
    echo "$deb"
}

# vmlinuz and the three modules as plain .ko, in WORKDIR/kernel/KERNEL_PACKAGE.
unpack_kernel() {
    local work="$1" deb="$2"
    local dest="$work/kernel/$KERNEL_PACKAGE"
    [ -f "$dest/vmlinuz" ] && [ -f "$dest/ppdev.ko" ] && return 0
    local tree="$work/kernel/unpack"
    rm -rf "$tree" "$dest" && mkdir -p "$tree" "$dest"
    dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$tree" --wildcards \
        './boot/vmlinuz-*' \
        './lib/modules/*/kernel/drivers/parport/parport.ko*' \
        './lib/modules/*/kernel/drivers/parport/parport_pc.ko*' \
        './lib/modules/*/kernel/drivers/char/ppdev.ko*'
    cp "$tree"/boot/vmlinuz-* "$dest/vmlinuz"
    local module file
    for module in parport parport_pc ppdev; do
        file="$(find "$tree/lib/modules" -name "$module.ko*" | head -n 1)"
        case "$file" in
        *.ko) cp "$file" "$dest/$module.ko" ;;
        *.ko.xz) xz -dc "$file" >"$dest/$module.ko" ;;
        *) die "$KERNEL_PACKAGE holds no usable $module module (found '${file}')" ;;
        esac
    done
    rm -rf "$tree"
}

prepare() {
    local work program="$2"
    mkdir -p "$1" && work="$(cd "$1" && pwd)"
    need dpkg-deb tar xz cpio readelf qemu-system-x86_64
    [ -x "$program" ] || die "no test program at $program"
    is_static "$program" || die "$program is not statically linked"
    if ! [ -x /bin/busybox ] || ! is_static /bin/busybox; then
        die "/bin/busybox is not the static one: install busybox-static"
    fi

    local deb
    deb="$(fetch_kernel_package "$work")"
    unpack_kernel "$work" "$deb"
    local kernel="$work/kernel/$KERNEL_PACKAGE"

    local root="$work/initramfs-root"
    rm -rf "$root"
    mkdir -p "$root"/{bin,dev,proc,sys,lib/modules}
    cp /bin/busybox "$program" "$root/bin/"
    cp "$kernel"/{parport,parport_pc,ppdev}.ko "$root/lib/modules/"
    cp "$here/guest_init.sh" "$root/init"
    chmod 755 "$root/init" "$root/bin/"*
    (cd "$root" && find . | LC_ALL=C sort | cpio -o -H newc -R 0:0 --quiet) >"$work/initramfs.cpio.tmp"
    mv "$work/initramfs.cpio.tmp" "$work/initramfs.cpio"
    ln -sfn "$kernel/vmlinuz" "$work/vmlinuz"
    echo "guest ready: $KERNEL_PACKAGE ($(basename "$deb")), initramfs $(du -k "$work/initramfs.cpio" | cut -f1) KiB"
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
    ppdev | direct) port=(-chardev null,id=lpt -device isa-parallel,chardev=lpt,iobase=0x378,irq=7) ;;
    # Two ports, LPT2 numbered parport0 and ours parport1: the machine's ACPI tables list
    # the ISA ports in the reverse order of these options (seen with qemu 7.2).
    second) port=(-chardev null,id=lpt -device isa-parallel,chardev=lpt,index=0,iobase=0x378,irq=7
                  -chardev null,id=lpt2 -device isa-parallel,chardev=lpt2,index=1,iobase=0x278,irq=5) ;;
    absent) ;;
    *) die "unknown boot '$boot'" ;;
    esac

    local log="$work/$boot.log"
    rm -f "$log"
    local status=0
    # TCG: no dependable KVM here. -nodefaults leaves out every device not named below,
    # the default parallel port among them.
    timeout --kill-after=10 "${STEPDIAL_GUEST_TIMEOUT:-180}" qemu-system-x86_64 \
        -accel tcg -m 256 -nodefaults -no-reboot -display none -monitor none \
        -serial "file:$log" \
        -device isa-debug-exit,iobase=0xf4,iosize=0x04 \
        "${port[@]}" \
        -kernel "$work/vmlinuz" -initrd "$work/initramfs.cpio" \
        -append "console=ttyS0 panic=-1 stepdial.boot=$boot" || status=$?

    # The exit device turns the guest's value v into status 2v+1: 1 is the guest's 0.
    local passed=0
    if [ "$status" -eq 1 ] && grep -q "^stepdial-guest: verdict 0" "$log" &&
        grep -Eq "^port_check $boot: [1-9][0-9]* checks, 0 failed" "$log"; then
        passed=1
    fi
    if [ "$passed" -eq 1 ]; then
        grep -E '^(ok|FAIL|     |port_check|stepdial-guest)' "$log" || true
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

case "${1:-}" in
prepare) [ $# -eq 3 ] || die "usage: $0 prepare WORKDIR PORT_CHECK"; prepare "$2" "$3" ;;
boot) [ $# -eq 3 ] || die "usage: $0 boot WORKDIR ppdev|second|direct|absent"; boot "$2" "$3" ;;
*) die "usage: $0 prepare WORKDIR PORT_CHECK | boot WORKDIR ppdev|second|direct|absent" ;;
esac
