#!/bin/busybox sh
# The emulated arm64 machine's first and only process: loads the power key's driver, which
# takes the PL061's line 3, runs gpio_check and powers the machine off with its verdict.

/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t debugfs debugfs /sys/kernel/debug
exec </dev/console >/dev/console 2>&1

# gpio_keys after the modules it needs, in the order the host read from their modinfo.
for module in $(cat /lib/modules/gpio_keys.load); do insmod "/lib/modules/$module.ko"; done
for _ in $(seq 50); do grep -q "GPIO Key Poweroff" /sys/kernel/debug/gpio && break || sleep 0.1; done
cat /sys/kernel/debug/gpio
/bin/gpio_check
echo "stepdial-guest: verdict $?"
poweroff -f
