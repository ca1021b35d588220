#!/usr/bin/env bash
# Proves the arm64 GPIO backend on the kernel's own PL061 driver: boots Debian's arm64
# kernel and busybox (unpacked, as qemu_guest.sh does the amd64 guest's, whose functions
# it shares) under qemu's virt machine and runs gpio_check in it (gpio_guest_init.sh).
#   arm64_guest.sh prepare WORKDIR GPIO_CHECK | boot WORKDIR
set -euo pipefail
GUEST_ARCH=arm64
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=tests/kernel/qemu_guest.sh
source "$here/qemu_guest.sh"
# The power key on the PL061's line 3, which the machine's device tree gives gpio_keys.
GUEST_MODULES=(gpio_keys)

prepare() {
    local work program="$2"
    mkdir -p "$1" && work="$(cd "$1" && pwd)"
    need dpkg-deb tar xz gzip cpio readelf qemu-system-aarch64
    [ -x "$program" ] || die "no test program at $program"
    is_static "$program" || die "$program is not statically linked"

    fetch_kernel_package "$work"
    unpack_kernel "$work" "$KERNEL_DEB"
    local kernel
    kernel="$work/kernel/$(basename "$KERNEL_DEB" .deb)"

    local root="$work/initramfs-root" busybox="$work/busybox-unpack"
    rm -rf "$root" "$busybox"
    mkdir -p "$root"/{bin,dev,proc,sys,lib/modules}
    [ -n "$(cached_deb "$work/cache" busybox-static)" ] || download_deb "$work/cache" busybox-static:arm64 ||
        die "cannot download busybox-static:arm64"
    dpkg-deb -x "$(cached_deb "$work/cache" busybox-static)" "$busybox"
    # /bin/busybox in Debian 12's package, /usr/bin/busybox in Debian 13's.
    cp "$(find "$busybox" -path "*bin/busybox" -type f | head -n 1)" "$program" "$root/bin/"
    rm -rf "$busybox"
    cp "$kernel"/*.load "$root/lib/modules/" && cp "$kernel"/*.ko "$root/lib/modules/" 2>/dev/null || true
    cp "$here/gpio_guest_init.sh" "$root/init"
    chmod 755 "$root/init" "$root/bin/"*
    (cd "$root" && find . | LC_ALL=C sort | cpio -o -H newc -R 0:0 --quiet) >"$work/initramfs.cpio.tmp"
    mv "$work/initramfs.cpio.tmp" "$work/initramfs.cpio"
    ln -sfn "$kernel/vmlinuz" "$work/vmlinuz"
    echo "$KERNEL_PACKAGE ($(basename "$KERNEL_DEB"), $KERNEL_NOTE)" >"$work/kernel-package"
    echo "guest ready: $(cat "$work/kernel-package"), initramfs $(du -k "$work/initramfs.cpio" | cut -f1) KiB"
}

boot() {
    local work
    work="$(cd "$1" && pwd)" || die "no guest in $1"
    need qemu-system-aarch64 timeout
    [ -f "$work/initramfs.cpio" ] && [ -e "$work/vmlinuz" ] || die "guest not prepared in $work"
    local log="$work/gpio.log" status=0
    echo "kernel: $(cat "$work/kernel-package")"
    # TCG, as no arm64 host is at hand; the guest powers the machine off (PSCI) when done.
    timeout --kill-after=10 "${STEPDIAL_GUEST_TIMEOUT:-240}" qemu-system-aarch64 \
        -M virt -cpu cortex-a57 -accel tcg -m 512 -nodefaults -no-reboot -display none -monitor none \
        -serial "file:$log" -kernel "$work/vmlinuz" -initrd "$work/initramfs.cpio" \
        -append "console=ttyAMA0 panic=-1" || status=$?
    if [ "$status" -eq 0 ] && grep -q "^stepdial-guest: verdict 0" "$log" &&
        grep -Eq "^gpio_check: [1-9][0-9]* checks, 0 failed" "$log"; then
        grep -E '^(ok|FAIL|gpio_check|stepdial-guest)' "$log"
        echo "boot gpio: passed"
        return 0
    fi
    cat "$log"
    echo "boot gpio: FAILED (qemu status $status)" && return 1
}

case "${1:-}" in
prepare) [ $# -eq 3 ] || die "usage: $0 prepare WORKDIR GPIO_CHECK"; prepare "$2" "$3" ;;
boot) [ $# -eq 2 ] || die "usage: $0 boot WORKDIR"; boot "$2" ;;
*) die "usage: $0 prepare WORKDIR GPIO_CHECK | boot WORKDIR" ;;
esac
