# shellcheck shell=bash
# Sourced by the fault tests: what in the output of Wine processes means that
# one of them crashed, or that Wine swallowed an exception for it.
#
#   crash_lines FILE      prints the lines of FILE that show a crash; status 0 if any
#
# Wine prints the "Unhandled ..." and "starting debugger" lines and winedbg its
# "Unhandled exception" report whatever WINEDEBUG says. With the seh channel on
# (WINEDEBUG=+seh) every exception raised shows as a dispatch_exception line:
# those of error (0xC...) and warning (0x8...) severity count, which takes in
# exceptions that a handler caught, and those that Wine ignores when they leave
# a window procedure.

crash_lines() {
    grep -aE \
        -e 'Unhandled (exception|page fault|stack overflow|illegal instruction)' \
        -e 'starting debugger' \
        -e 'Assertion .*failed' \
        -e 'dispatch_exception code=[89a-fA-F][0-9a-fA-F]{7}' \
        -e 'ignoring exception' \
        -e 'X Error of failed request' \
        "$1"
}
