#!/bin/busybox sh
# The emulated machine's first and only process. The boot to run comes on the kernel
# command line (stepdial.boot=ppdev|second|card|busy|foreign|udev|lp|lp_poll|direct|
# direct_input|absent|usb); the verdict leaves through the isa-debug-exit device at 0xf4, whose
# value becomes qemu's exit status.

/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /run
exec </dev/console >/dev/console 2>&1

verdict() {
    echo "stepdial-guest: verdict $1"
    # /dev/port offset = I/O address: one byte to the exit device ends the machine.
    printf "\\$(printf %03o "$1")" | dd of=/dev/port bs=1 seek=244 count=1 2>/dev/null
    echo "stepdial-guest: the exit device did not answer"
    poweroff -f
}

# Loads a module after those it depends on, in the order the host read from the
# modules themselves (lib/modules/M.load), the module itself with the parameters given
# after its name; a module already loaded (listed with _ for -) is skipped.
load() {
    module=$1
    shift
    for dep in $(cat "/lib/modules/$module.load"); do
        grep -q "^$(echo "$dep" | tr - _) " /proc/modules && continue
        if [ "$dep" = "$module" ]; then insmod "/lib/modules/$dep.ko" "$@" || return 1
        else insmod "/lib/modules/$dep.ko" || return 1; fi
    done
}

# An FTDI FT232R on the kernel's own USB stack: dummy_hcd's host and device sides at full
# speed, as the chip runs, and a configfs gadget whose one function, FunctionFS, is served
# by ft232r_gadget. ftdi_sio binds it first, as on a desktop, and makes /dev/ttyUSB0.
plug_in_ft232r() {
    load dummy_hcd is_high_speed=0 && load usb_f_fs && load ftdi_sio || { echo "stepdial-guest: loading the USB modules failed"; verdict 3; }
    mount -t configfs none /sys/kernel/config
    gadget=/sys/kernel/config/usb_gadget/ft232r
    mkdir -p $gadget/strings/0x409 $gadget/configs/c.1 $gadget/functions/ffs.ftdi /dev/ffs
    echo 0x0403 >$gadget/idVendor && echo 0x6001 >$gadget/idProduct && echo 0x0600 >$gadget/bcdDevice
    echo FTDI >$gadget/strings/0x409/manufacturer
    echo "FT232R USB UART" >$gadget/strings/0x409/product
    echo FTSD0001 >$gadget/strings/0x409/serialnumber
    ln -s $gadget/functions/ffs.ftdi $gadget/configs/c.1/
    mount -t functionfs ftdi /dev/ffs
    /bin/ft232r_gadget /dev/ffs /run/bulk_out &
    for _ in $(seq 50); do [ -e /dev/ffs/ep2 ] && break; sleep 0.1; done
    ls /sys/class/udc >$gadget/UDC
    for _ in $(seq 100); do [ -c /dev/ttyUSB0 ] && break; sleep 0.1; done
    [ -c /dev/ttyUSB0 ] || { echo "stepdial-guest: the FT232R did not come up as /dev/ttyUSB0"; dmesg | tail -n 30; verdict 3; }
}

load_all() {
    for module in "$@"; do
        load "$module" || { echo "stepdial-guest: loading $module failed"; verdict 3; }
    done
}

# The package's scripts (/pkg) beside a printer on LPT2 (parport0); check NAME COMMAND CONDITION, the output in /out.
package_scripts() {
    checks=0 failed=0 && export PATH=/usr/bin:/bin && mkdir "/lib/modules/$(uname -r)" /chroot
    check() { checks=$((checks + 1)) && eval "$2" >/out; if eval "$3"; then echo "ok $1"; else echo "FAIL $1: $(cat /out)" && failed=$((failed + 1)); fi; }
    state() { cut -d' ' -f1 /proc/modules | sort && ls -i /dev/parport* /dev/lp*; }
    ln /lib/modules/*.ko "/lib/modules/$(uname -r)/" && /usr/bin/depmod 2>/dev/null && insmod /lib/modules/lp.ko && before=$(state)
    cp -a /bin /lib /lib64 /usr /etc /pkg /chroot/ && for fs in proc sys dev; do mkdir "/chroot/$fs" && mount -o bind "/$fs" "/chroot/$fs"; done
    check "chroot: no module or device changed, one line from each script" 'chroot /chroot dash /pkg/postinst configure &&
        chroot /chroot dash /pkg/postrm remove' '[ "$(state)" = "$before" ] && [ "$(wc -l </out)" = 2 ]'
    check "no CAP_SYS_MODULE: lp stays, and modprobe's reason is given" '/usr/bin/setpriv --bounding-set=-sys_module dash /pkg/postinst configure' \
        '[ -d /sys/module/lp ] && grep -q "Operation not permitted" /out && ! grep -q "in use" /out'
    check "lp on the motor's port: unloaded" 'dash /pkg/postinst configure' '! [ -d /sys/module/lp ] && grep -q "unloaded .* parport1 at 888 (0x378)" /out'
    echo "options lp parport=0" >/etc/modprobe.d/stepdial-lp.conf && /usr/bin/modprobe lp
    check "lp on the printer's port alone: stays" 'dash /pkg/postinst configure' '[ -c /dev/lp0 ] && [ -d /proc/sys/dev/parport/parport0/devices/lp ]'
    setfacl -m u:1000:rw,u:2000:r,g:3000:rw /dev/parport1 && exec 8</dev/parport1
    printf '#!/bin/sh\n[ "$1" = show-seat ] && echo c1 || echo 1000\n' >/bin/loginctl && chmod +x /bin/loginctl
    check "postrm: the seat user's ACL entry gone, the administrator's kept" 'dash /pkg/postrm remove && exec 8<&- && getfacl -cnp /dev/parport1' \
        '! grep -q :1000: /out && grep -q user:2000:r-- /out && grep -q group:3000:rw- /out'
    echo "port_check package: $checks checks, $failed failed" && [ "$failed" -eq 0 ]
}

boot=
for word in $(cat /proc/cmdline); do
    case "$word" in stepdial.boot=*) boot="${word#stepdial.boot=}" ;; esac
done
echo "stepdial-guest: boot '$boot' on $(uname -r)"

# A program stuck in the kernel (a ppdev claim that never returns) would hold the machine
# until the host's timeout; this ends it sooner and shows each process's state (D: asleep
# in the kernel, where not even SIGKILL reaches it).
# The polling rounds may each take 4.6 s when they hang, and must still show their figures.
watch=60
[ "$boot" = lp_poll ] && watch=110
(
    sleep $watch
    echo "stepdial-guest: port_check still running after $watch s: stuck"
    ps -o pid,stat,args | grep -E 'PID|port_check' | grep -v grep
    verdict 4
) &

case "$boot" in
ppdev | second | card | busy | foreign | udev)
    load_all parport_pc ppdev
    [ -c /dev/parport0 ] || { echo "stepdial-guest: no /dev/parport0"; ls -l /dev; verdict 3; }
    ;;
lp | lp_poll)
    # The printer driver takes its place on the port beside ppdev, as on a desktop.
    load_all parport_pc ppdev lp
    [ -c /dev/parport0 ] || { echo "stepdial-guest: no /dev/parport0"; ls -l /dev; verdict 3; }
    ;;
absent)
    # The drivers loaded as a distribution would: they find no port (parport_pc may even
    # refuse to load), and the backend must still fail with its own message.
    for module in parport_pc ppdev; do
        load "$module" || echo "stepdial-guest: loading $module refused"
    done
    ;;
direct | direct_input) ;;
usb) plug_in_ft232r ;;
*) echo "stepdial-guest: unknown boot"; verdict 3 ;;
esac

# Kernel messages from here on would cut into the lines the host reads the result from.
dmesg -n 1
if [ "$boot" = udev ]; then
    # The package's rule tags the device uaccess before 73-seat-late.rules acts on the tag
    # (udevadm lists the properties flush left on Debian 12, indented on Debian 13).
    udevadm test --action=add /class/ppdev/parport0 >/udev.out 2>&1
    grep -q '^ *TAGS=.*:uaccess:' /udev.out && grep -q "73-seat-late.rules:[0-9]* RUN 'uaccess'" /udev.out; failed=$?
    [ "$failed" -eq 0 ] || cat /udev.out
    echo "port_check udev: 2 checks, $failed failed" && verdict "$failed"
fi
if [ "$boot" = usb ]; then
    # The package's rule tags the real board's device uaccess, from its own attributes.
    udevadm test --action=add /bus/usb/devices/1-1 >/udev.out 2>&1
    grep -q '^ *TAGS=.*:uaccess:' /udev.out && grep -q "73-seat-late.rules:[0-9]* RUN 'uaccess'" /udev.out; failed=$?
    [ "$failed" -eq 0 ] || { cat /udev.out; echo "port_check usb_udev: 2 checks, $failed failed"; verdict 1; }
    /bin/usb_check $gadget /run/bulk_out; verdict $?
fi
/bin/port_check "$boot" || verdict $?
[ "$boot" != second ] || package_scripts || verdict 1
case "$boot" in lp | lp_poll)
    # The printer driver as the package's modprobe option loads it: bound to no port.
    if ! rmmod lp || ! insmod /lib/modules/lp.ko parport=none; then
        echo "stepdial-guest: reloading lp failed"
        verdict 3
    fi
    dmesg -n 1
    if [ "$boot" = lp ]; then /bin/port_check lp_unbound || verdict $?; else /bin/port_check lp_poll_unbound || verdict $?; fi
    ;;
esac
if [ "$boot" = direct_input ]; then
    # The remedy the failure's message gives: the drivers take the port back to outputs.
    load_all parport_pc ppdev
    dmesg -n 1
    /bin/port_check direct_input_remedy || verdict $?
fi
verdict 0
