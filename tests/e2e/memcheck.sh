#!/bin/sh
# Runs a program under valgrind's memcheck: status 99 for a memory error outside the ones
# suppressed (other libraries' own), or for a block lost for good.
exec valgrind --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
  --suppressions="$(dirname "$0")/../sanitizers/valgrind.supp" "$@"
