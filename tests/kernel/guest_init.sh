#!/bin/busybox sh
# The emulated machine's first and only process. The boot to run comes on the kernel
# command line (stepdial.boot=ppdev|second|direct|absent); the verdict leaves through the
# isa-debug-exit device at 0xf4, whose value becomes qemu's exit status.

/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
exec </dev/console >/dev/console 2>&1

verdict() {
    echo "stepdial-guest: verdict $1"
    # /dev/port offset = I/O address: one byte to the exit device ends the machine.
    printf "\\$(printf %03o "$1")" | dd of=/dev/port bs=1 seek=244 count=1 2>/dev/null
    echo "stepdial-guest: the exit device did not answer"
    poweroff -f
}

boot=
for word in $(cat /proc/cmdline); do
    case "$word" in stepdial.boot=*) boot="${word#stepdial.boot=}" ;; esac
done
echo "stepdial-guest: boot '$boot' on $(uname -r)"

case "$boot" in
ppdev | second)
    # The order the module dependencies dictate.
    for module in parport parport_pc ppdev; do
        insmod "/lib/modules/$module.ko" || { echo "stepdial-guest: insmod $module failed"; verdict 3; }
    done
    [ -c /dev/parport0 ] || { echo "stepdial-guest: no /dev/parport0"; ls -l /dev; verdict 3; }
    ;;
absent)
    # The drivers loaded as a distribution would: they find no port (parport_pc may even
    # refuse to load), and the backend must still fail with its own message.
    for module in parport parport_pc ppdev; do
        insmod "/lib/modules/$module.ko" || echo "stepdial-guest: insmod $module refused"
    done
    ;;
direct) ;;
*) echo "stepdial-guest: unknown boot"; verdict 3 ;;
esac

# Kernel messages from here on would cut into the lines the host reads the result from.
dmesg -n 1
/bin/port_check "$boot"
verdict $?
