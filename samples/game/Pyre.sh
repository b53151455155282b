#!/bin/sh
# Stand-in for the game's program in the sample installation: it only records
# each start in started.log next to itself, so "Run the Game" can be checked.
dir=$(dirname "$0")
echo "Pyre started $(date '+%Y-%m-%d %H:%M:%S')" >> "$dir/started.log"
