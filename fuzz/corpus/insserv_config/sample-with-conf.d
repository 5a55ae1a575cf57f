# Installed with the RPC port mapper: services that speak RPC ask for $portmap.
$portmap	+portmapper
ÿ#
# Facilities of the Vorn Runlevels sample system. A member with a leading "+"
# is optional: the facility is met even when that script is not installed.
#

# Every local file system is mounted.
$local_fs	+localfs-mount

# The network interfaces are up.
$network	+netif-up

# Host names can be resolved.
$named		+namecache $network

# The remote file systems are mounted as well (services that care about /usr
# or /srv being remote ask for both $local_fs and $remote_fs).
$remote_fs	$local_fs +remotefs-mount

# The system logger takes messages.
$syslog		+logkeeper

# The system clock is set.
$time		+hwclock-load

# Scripts that may ask questions on the console: they run alone.
<interactive>	disks-check
