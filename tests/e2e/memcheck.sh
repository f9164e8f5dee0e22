#!/bin/sh
# Runs a program under valgrind's memcheck: status 99 for a memory error outside the ones
# suppressed (other libraries' own), or for a block lost for good. Stacks deep enough to reach
# the call a suppression names (Mesa's lie more than valgrind's 12 calls deep).
exec valgrind --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite --num-callers=40 \
  --suppressions="$(dirname "$0")/../sanitizers/valgrind.supp" "$@"
