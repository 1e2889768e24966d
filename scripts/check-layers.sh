#!/usr/bin/env bash
# Checks that the core's folders include one another in one direction only:
# a file may include headers of its own folder and of the floors below it,
# never of a floor above, nor of another folder on its own floor. Prints each
# include that breaks the order and exits 1 when there is one.
#   scripts/check-layers.sh [CORE_DIR]
set -euo pipefail
core=${1:-"$(dirname "$0")/../core"}

# The floors from the ground up; folders on one line are peers that know
# nothing of each other.
floors=(
  "app"                      # texts, outcome, CP1251, worker frame, host and window interfaces
  "link"                     # the transport: serial exchange, boot ROM steps, UDP channel
  "context"                  # what every operation works with
  "boardtests flash debug"   # the operations' subjects
  "operations"               # the station, its operation table and its own workers
  "record production"        # the run record, an observer of the station; profiles, verdicts and sequences
  "history"                  # every board's finished units kept in a folder, and its past at the bench
  "session report"           # a run from start to end; reports over the history
)

declare -A floor_of
for i in "${!floors[@]}"; do
  for folder in ${floors[$i]}; do floor_of[$folder]=$i; done
done

status=0
for dir in "$core"/*/; do
  folder=$(basename "$dir")
  if [ -z "${floor_of[$folder]+set}" ]; then
    echo "core/$folder: a folder with no floor (add it to $0)"
    status=1
    continue
  fi
  while IFS=: read -r file line target; do
    [ "$target" = "$folder" ] && continue
    if [ -z "${floor_of[$target]+set}" ] || [ "${floor_of[$target]}" -ge "${floor_of[$folder]}" ]; then
      echo "core/$folder/$(basename "$file"):$line includes $target/"
      status=1
    fi
  done < <(grep -HnoE '^#include "[a-z_]+/' "$dir"* | sed -E 's|#include "([a-z_]+)/$|\1|')
done
[ $status -eq 0 ] && echo "core: every include runs down the floors"
exit $status
