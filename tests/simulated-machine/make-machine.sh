#!/bin/sh
# Builds a simulated machine: a bundle whose tarvel finds the machine's
# disks through prepared listings and reads them through the smartctl of
# this folder, which replays traces made by tarvel-fakedrive, or answers
# from captured smartctl answers through the stand-in smartctl.
#
# Usage: make-machine.sh DESCRIPTION_FOLDER OUTPUT_BUNDLE TARVEL FAKEDRIVE [STANDIN]
#
# DESCRIPTION_FOLDER holds
#   devices   what "ls /dev" prints
#   mounts    what "df" prints
#   volumes   what "ls -la /Volumes" prints (optional)
#   drives    one line per disk: "DEVICE DRIVE", DRIVE being the name of a
#             drive description (NAME.drive in the folders of DRIVE_PATH,
#             by default resources/simulated-drives and tests/drives),
#             "!REASON" for a disk smartctl may not open, "?hang" for one
#             whose smartctl never answers, or "CAPTURE.txt
#             [SAT_CAPTURE.txt]": smartctl's captured answer (a path from the
#             repository's top) and the one it gives with "-d sat" (NVMe,
#             SCSI, USB and SMART-less disks, which smartctl cannot replay;
#             needs STANDIN)
# The machine is run as OUTPUT_BUNDLE/Contents/MacOS/tarvel --listings OUTPUT_BUNDLE/listings
set -eu
[ $# -eq 4 ] || [ $# -eq 5 ] || { echo "usage: $0 DESCRIPTION_FOLDER OUTPUT_BUNDLE TARVEL FAKEDRIVE [STANDIN]" >&2; exit 2; }
description=$1 out=$2 tarvel=$3 fakedrive=$4 standin=${5:-}
kit=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$kit/../.." && pwd)
drive_path=${DRIVE_PATH:-$repo/resources/simulated-drives:$repo/tests/drives}

macos="$out/Contents/MacOS"
rm -rf "$out"
mkdir -p "$macos/traces" "$macos/captures" "$out/Contents/Resources" "$out/listings"
# A hard link keeps /proc/self/exe inside the machine; a copy does too.
ln -f "$tarvel" "$macos/tarvel" 2>/dev/null || cp "$tarvel" "$macos/tarvel"
# `tarvel notify` runs the tarvel-notify beside it, when the build has one.
notify=$(dirname "$tarvel")/tarvel-notify
[ ! -x "$notify" ] || ln -f "$notify" "$macos/tarvel-notify" 2>/dev/null || cp "$notify" "$macos/tarvel-notify"
cp "$kit/smartctl" "$macos/smartctl"
[ -z "$standin" ] || cp "$standin" "$macos/smartctl-standin"
# The string tables and icons of the real bundle, when the program comes from one.
resources=$(dirname "$tarvel")/../Resources
[ ! -d "$resources" ] || cp -R "$resources/." "$out/Contents/Resources/"
cp "$kit/ls" "$kit/df" "$out/listings/"
cp "$description/devices" "$out/listings/devices"
cp "$description/mounts" "$out/listings/mounts"
[ ! -f "$description/volumes" ] || cp "$description/volumes" "$out/listings/volumes"

find_drive() {
  old_ifs=$IFS
  IFS=:
  for dir in $drive_path; do
    if [ -f "$dir/$1.drive" ]; then
      IFS=$old_ifs
      echo "$dir/$1.drive"
      return 0
    fi
  done
  IFS=$old_ifs
  echo "make-machine: no drive description $1.drive in $drive_path" >&2
  return 1
}

while read -r device drive sat; do
  case "$device" in '' | '#'*) continue ;; esac
  name=$(basename "$device")
  case "$drive" in
    '!'*) printf '%s\n' "${drive#!}${sat:+ $sat}" > "$macos/traces/$name.fail" ;;
    '?hang') : > "$macos/traces/$name.hang" ;;
    *.txt)
      [ -n "$standin" ] || { echo "make-machine: $device needs the stand-in smartctl" >&2; exit 1; }
      cp "$repo/$drive" "$macos/captures/$name.txt"
      [ -z "$sat" ] || cp "$repo/$sat" "$macos/captures/$name@sat.txt"
      ;;
    *)
      file=$(find_drive "$drive")
      "$fakedrive" -o "$macos/traces/$name.trdr" "$file"
      ;;
  esac
done < "$description/drives"
