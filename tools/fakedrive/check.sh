#!/usr/bin/env bash
# Replays every drive description through the real smartctl and checks
# what smartctl makes of it. Usage: check.sh BUILD_DIR
# Needs smartctl (smartmontools 7.3); uses no disk of this machine.
set -u

if [[ $# -ne 1 ]]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

tool=$build/tools/fakedrive/tarvel-fakedrive
[[ -x $tool ]] || tool=$(find "$build" -type f -name tarvel-fakedrive -perm -u+x 2>/dev/null | head -n 1)
if [[ -z $tool || ! -x $tool ]]; then
    echo "check.sh: no tarvel-fakedrive under $build" >&2
    exit 2
fi
smartctl=${SMARTCTL:-$(command -v smartctl || echo /usr/sbin/smartctl)}
if [[ ! -x $smartctl ]]; then
    echo "check.sh: smartctl not found (install smartmontools)" >&2
    exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
    failed=$((failed + 1))
    echo "FAIL: $*"
}

shipped=("$root"/resources/simulated-drives/*.drive)
cases=("$root"/tests/drives/*.drive)
descriptions=("${shipped[@]}" "${cases[@]}")

name_of() { basename "$1" .drive; }
path_of() {
    local f
    for f in "${descriptions[@]}"; do
        [[ $(name_of "$f") == "$1" ]] && { echo "$f"; return; }
    done
    echo "check.sh: no description named $1" >&2
    exit 2
}

# replay DESCRIPTION MODE SMARTCTL-OPTIONS...: leaves smartctl's output in
# $out and its exit status in $rc.
out=$work/out
rc=0
replay() {
    local desc=$1 mode=$2
    shift 2
    if ! "$tool" --for "$mode" "$desc" > "$work/trace" 2> "$work/err"; then
        : > "$out"
        rc=255
        fail "$(name_of "$desc") --for $mode: tarvel-fakedrive failed: $(cat "$work/err")"
        return 1
    fi
    "$smartctl" "$@" - < "$work/trace" > "$out" 2>&1
    rc=$?
}

# Troubles smartctl reports when a trace is broken or the wrong one.
broken='REPLAY-IOCTL|Syntax error|Read [A-Za-z ]+ failed|[Cc]hecksum|Command not found|Unexpected EOF|Buffer overflow'

# 1. Each description replays for each read-only option with a trace made
#    for that option: no replay warnings, no failed reads.
read_only=("a:-a" "H:-H" "i:-i" "c:-c" "A:-A" "error:-l error" "selftest:-l selftest" "selective:-l selective")
for desc in "${descriptions[@]}"; do
    for pair in "${read_only[@]}"; do
        mode=${pair%%:*}
        read -r -a opts <<< "${pair#*:}"
        replay "$desc" "$mode" "${opts[@]}" || continue
        if grep -Eq "$broken" "$out"; then
            fail "$(name_of "$desc") smartctl ${opts[*]}: $(grep -E "$broken" "$out" | head -n 1)"
        elif (( rc & 3 )); then
            fail "$(name_of "$desc") smartctl ${opts[*]}: exit status $rc (command line or open failed)"
        else
            pass
        fi
    done
done

# 2. The default trace (the one for -a) answers every read-only option,
#    and the "any" trace every option including the ones that act.
for desc in "${descriptions[@]}"; do
    "$tool" "$desc" > "$work/a.trace"
    "$tool" --for any "$desc" > "$work/any.trace"
    for opts in "-a" "-H" "-i" "-c" "-A" "-l error" "-l selftest" "-l selective"; do
        # shellcheck disable=SC2086
        "$smartctl" $opts - < "$work/a.trace" > "$out" 2>&1
        if grep -Eq 'Command not found|Syntax error' "$out"; then
            fail "$(name_of "$desc"): -a trace with $opts: $(grep -E 'Command not found|Syntax error' "$out" | head -n 1)"
        else
            pass
        fi
    done
    for opts in "-a" "-H" "-c" "-s on" "-s off" "-t short" "-t long" "-t offline" "-X"; do
        # shellcheck disable=SC2086
        "$smartctl" $opts - < "$work/any.trace" > "$out" 2>&1
        if grep -Eq 'Command not found|Syntax error' "$out"; then
            fail "$(name_of "$desc"): any trace with $opts: $(grep -E 'Command not found|Syntax error' "$out" | head -n 1)"
        else
            pass
        fi
    done
done

# 3. What smartctl prints for particular drives.
# expect NAME MODE "SMARTCTL OPTIONS" LINE...: each LINE occurs verbatim.
expect() {
    local name=$1 mode=$2 opts
    read -r -a opts <<< "$3"
    shift 3
    replay "$(path_of "$name")" "$mode" "${opts[@]}" || return
    local line
    for line in "$@"; do
        if grep -qF -- "$line" "$out"; then
            pass
        else
            fail "$name smartctl ${opts[*]}: missing \"$line\""
        fi
    done
}
# absent NAME MODE "SMARTCTL OPTIONS" LINE...: no LINE occurs.
absent() {
    local name=$1 mode=$2 opts
    read -r -a opts <<< "$3"
    shift 3
    replay "$(path_of "$name")" "$mode" "${opts[@]}" || return
    local line
    for line in "$@"; do
        if grep -qF -- "$line" "$out"; then
            fail "$name smartctl ${opts[*]}: unexpected \"$line\""
        else
            pass
        fi
    done
}
# status NAME MODE "SMARTCTL OPTIONS" SET CLEAR: smartctl's exit status has
# the bits of SET and none of CLEAR.
status() {
    local name=$1 mode=$2 opts
    read -r -a opts <<< "$3"
    replay "$(path_of "$name")" "$mode" "${opts[@]}" || return
    if (( (rc & $4) == $4 && (rc & $5) == 0 )); then
        pass
    else
        fail "$name smartctl ${opts[*]}: exit status $rc, wanted bits $4 set and $5 clear"
    fi
}
tab=$'\t'
# smartctl exit status bits
FAILSMART=4 FAILSTATUS=8 FAILATTR=16 FAILAGE=32 FAILERR=64 FAILLOG=128

expect healthy-hdd i "-i" \
    "Model Family:     Western Digital Red" \
    "Device Model:     WDC WD40EFRX-68N32N0" \
    "Serial Number:    WD-WCC7K4HL2X9N" \
    "LU WWN Device Id: 5 0014ee 2b9a3c4d1" \
    "Firmware Version: 82.00A82" \
    "User Capacity:    4,000,787,030,016 bytes [4.00 TB]" \
    "Sector Sizes:     512 bytes logical, 4096 bytes physical" \
    "Rotation Rate:    5400 rpm" \
    "Form Factor:      3.5 inches" \
    "Device is:        In smartctl database" \
    "ATA Version is:   ACS-3 T13/2161-D revision 5" \
    "SATA Version is:  SATA 3.1, 6.0 Gb/s (current: 6.0 Gb/s)" \
    "SMART support is: Available - device has SMART capability." \
    "SMART support is: Enabled"
expect healthy-hdd H "-H" "SMART overall-health self-assessment test result: PASSED"
status healthy-hdd a "-a" 0 255
expect healthy-hdd c "-c" \
    "Offline data collection status:  (0x00)" \
    "Self-test execution status:      (   0)${tab}The previous self-test routine completed" \
    "Total time to complete Offline " \
    "data collection: ${tab}${tab}(44160) seconds." \
    "capabilities: ${tab}${tab}${tab} (0x7b) SMART execute Offline immediate." \
    "Conveyance Self-test supported." \
    "SMART capabilities:            (0x0003)" \
    "Error logging capability:        (0x01)${tab}Error logging supported." \
    "General Purpose Logging supported." \
    "Short self-test routine " \
    "recommended polling time: ${tab} (   2) minutes." \
    "Extended self-test routine" \
    "recommended polling time: ${tab} ( 468) minutes." \
    "Conveyance self-test routine" \
    "recommended polling time: ${tab} (   5) minutes."
expect healthy-hdd A "-A" \
    "ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  WHEN_FAILED RAW_VALUE" \
    "  5 Reallocated_Sector_Ct   0x0033   200   200   140    Pre-fail  Always       -       0" \
    "  9 Power_On_Hours          0x0032   061   061   000    Old_age   Always       -       28731" \
    "194 Temperature_Celsius     0x0022   119   106   000    Old_age   Always       -       31 (Min/Max 18/44)"
expect healthy-hdd error "-l error" "SMART Error Log Version: 1" "No Errors Logged"
expect healthy-hdd selftest "-l selftest" \
    "SMART Self-test log structure revision number 1" \
    "Num  Test_Description    Status                  Remaining  LifeTime(hours)  LBA_of_first_error" \
    "# 1  Short offline       Completed without error       00%     28720         -" \
    "# 2  Extended offline    Completed without error       00%     28566         -" \
    "# 3  Short offline       Completed without error       00%     28552         -"
expect healthy-hdd selective "-l selective" "SMART Selective self-test log data structure revision number 1"

expect healthy-ssd a "-a" \
    "Model Family:     Crucial/Micron Client SSDs" \
    "Rotation Rate:    Solid State Device" \
    "Form Factor:      2.5 inches" \
    "TRIM Command:     Available, deterministic" \
    "SATA Version is:  SATA 3.2, 6.0 Gb/s (current: 6.0 Gb/s)" \
    "SMART overall-health self-assessment test result: PASSED" \
    "  5 Reallocate_NAND_Blk_Cnt 0x0032   100   100   010    Old_age   Always       -       0" \
    "246 Total_LBAs_Written      0x0032   100   100   000    Old_age   Always       -       13578652461" \
    "# 1  Extended offline    Completed without error       00%      6100         -" \
    "# 2  Short offline       Completed without error       00%      5900         -"
status healthy-ssd a "-a" 0 255

expect failing-reallocated a "-a" \
    "SMART overall-health self-assessment test result: PASSED" \
    "Self-test execution status:      ( 121)" \
    "  5 Reallocated_Sector_Ct   0x0033   088   088   010    Pre-fail  Always       -       1432" \
    "197 Current_Pending_Sector  0x0012   100   100   000    Old_age   Always       -       16" \
    "ATA Error Count: 2" \
    "Error 2 occurred at disk power-on lifetime: 24861 hours (1035 days + 21 hours)" \
    "  When the command that caused the error occurred, the device was active or idle." \
    "  40 51 00 f8 22 4a 4d  Error: UNC at LBA = 0x0d4a22f8 = 222962424" \
    "  60 00 08 f8 22 4a 40 00      00:31:52.740  READ FPDMA QUEUED" \
    "  ea 00 00 00 00 00 40 00      00:31:52.702  FLUSH CACHE EXT" \
    "  60 00 80 00 22 4a 40 00   3d+04:12:09.031  READ FPDMA QUEUED" \
    "Error 1 occurred at disk power-on lifetime: 24860 hours (1035 days + 20 hours)" \
    "# 1  Extended offline    Completed: read failure       90%     24866         222962424"
status failing-reallocated a "-a" $((FAILERR | FAILLOG)) $((FAILSTATUS | FAILATTR | FAILSMART))
status failing-reallocated H "-H" 0 255
expect failing-reallocated c "-c" \
    "Offline data collection status:  (0x82)${tab}Offline data collection activity" \
    "was completed without error." \
    "Auto Offline Data Collection: Enabled."

expect failed-health H "-H" \
    "SMART overall-health self-assessment test result: FAILED!" \
    "Drive failure expected in less than 24 hours. SAVE ALL DATA." \
    "Failed Attributes:" \
    "  5 Reallocated_Sector_Ct   0x0033   005   005   005    Pre-fail  Always   FAILING_NOW 1998"
status failed-health H "-H" $((FAILSTATUS | FAILATTR)) $FAILSMART
expect failed-health a "-a" \
    "Model Family:     Hitachi/HGST Ultrastar 7K4000" \
    "ATA Version is:   ATA8-ACS T13/1699-D revision 6" \
    "Offline data collection status:  (0x84)" \
    "Self-test execution status:      ( 116)" \
    "  40 51 08 c0 a0 b8 43  Error: UNC 8 sectors at LBA = 0x03b8a0c0 = 62431424" \
    "  ef 03 46 00 00 00 a0 08      12:44:03.502  SET FEATURES [Set transfer mode]" \
    "# 1  Short offline       Completed: read failure       40%     46390         62431424"
absent failed-health c "-c" "Conveyance self-test routine"

expect read-errors error "-l error" \
    "ATA Error Count: 14 (device log contains only the most recent five errors)" \
    "Error 14 occurred at disk power-on lifetime: 10349 hours (431 days + 5 hours)" \
    "  40 41 00 e8 c1 4e 40  Error: UNC at LBA = 0x004ec1e8 = 5161448" \
    "  60 18 08 e8 c1 4e 40 00      01:02:03.123  READ FPDMA QUEUED" \
    "Error 12 occurred at disk power-on lifetime: 10348 hours (431 days + 4 hours)" \
    "  40 41 00 a0 a4 36 4d  Error: UNC at LBA = 0x0d36a4a0 = 221684896" \
    "  60 08 00 a0 a4 36 4d 00   2d+00:10:42.100  READ FPDMA QUEUED" \
    "Error 10 occurred at disk power-on lifetime: 9876 hours (411 days + 12 hours)"
absent read-errors error "-l error" "Error 9 occurred" "Warning: ATA error count"
status read-errors error "-l error" $FAILERR $FAILSMART
expect read-errors i "-i" \
    "Model Family:     Toshiba 2.5\" HDD MQ01ABD..." \
    "SATA Version is:  SATA 2.6, 3.0 Gb/s (current: 3.0 Gb/s)" \
    "Form Factor:      2.5 inches"

expect smart-disabled i "-i" "SMART support is: Disabled"
expect smart-disabled a "-a" "SMART Disabled. Use option -s with argument 'on' to enable it."
expect smart-disabled on "-s on" "SMART Enabled."
expect smart-unsupported a "-a" "SMART support is: Unavailable - device lacks SMART capability."
absent smart-unsupported i "-i" "Rotation Rate:" "Form Factor:"
expect smart-ambiguous a "-a" \
    "SMART support is: Ambiguous - ATA IDENTIFY DEVICE words 85-87 don't show if SMART is enabled."
status smart-ambiguous a "-a" $FAILSMART 0

expect selftest-read-failure-status c "-c" \
    "Self-test execution status:      ( 121)${tab}The previous self-test completed having" \
    "the read element of the test failed."
expect selftest-read-failure-status selftest "-l selftest" \
    "# 1  Short offline       Completed: read failure       90%      5000         1234567"
status selftest-read-failure-status selftest "-l selftest" $FAILLOG 0

expect selftest-in-progress c "-c" \
    "Offline data collection status:  (0x03)" \
    "is in progress." \
    "Self-test execution status:      ( 249)${tab}Self-test routine in progress..." \
    "90% of test remaining."
expect selftest-in-progress selftest "-l selftest" \
    "# 1  Extended offline    Self-test routine in progress 90%      7001         -"
expect selftest-in-progress short "-t short" \
    "Can't start self-test without aborting current test (90% remaining),"
expect selftest-in-progress abort "-X" \
    "Sending command: \"Abort SMART off-line mode self-test routine\"." \
    "Self-testing aborted!"

expect healthy-hdd short "-t short" \
    "Sending command: \"Execute SMART Short self-test routine immediately in off-line mode\"." \
    "Drive command \"Execute SMART Short self-test routine immediately in off-line mode\" successful." \
    "Testing has begun." \
    "Please wait 2 minutes for test to complete."
expect healthy-hdd long "-t long" "Please wait 468 minutes for test to complete."
expect healthy-hdd conveyance "-t conveyance" \
    "Drive command \"Execute SMART Conveyance self-test routine immediately in off-line mode\" successful."
expect healthy-hdd offline "-t offline" \
    "Drive command \"Execute SMART off-line routine immediately in off-line mode\" successful." \
    "Please wait 44160 seconds for test to complete."
expect healthy-hdd off "-s off" "SMART Disabled. Use option -s with argument 'on' to enable it."
expect selftest-rejected short "-t short" \
    "Command \"Execute SMART Short self-test routine immediately in off-line mode\" failed: Input/output error"

expect attribute-failing-now H "-H" \
    "SMART overall-health self-assessment test result: PASSED" \
    "Please note the following marginal Attributes:" \
    "  5 Reallocated_Sector_Ct   0x0033   136   136   140    Pre-fail  Always   FAILING_NOW 1820"
status attribute-failing-now H "-H" $FAILAGE $((FAILSTATUS | FAILATTR))
expect attribute-in-the-past A "-A" \
    "  3 Spin_Up_Time            0x0003   180   021   021    Pre-fail  Always   In_the_past 5025" \
    "  9 Power_On_Hours          0x0032   100   100   000    Old_age   Always       -       1200" \
    "190 Airflow_Temperature_Cel 0x0022   045   040   045    Old_age   Always   FAILING_NOW 55" \
    "194 Temperature_Celsius     0x0022   055   040   000    Old_age   Always       -       45 (Min/Max 30/60)"

expect error-log-partial error "-l error" \
    "ATA Error Count: 3" \
    "Error 3 occurred at disk power-on lifetime: 1500 hours (62 days + 12 hours)" \
    "  40 51 01 56 34 12 40  Error: UNC 1 sectors at LBA = 0x00123456 = 1193046" \
    "  25 00 08 50 34 12 e0 00      02:00:00.400  READ DMA EXT" \
    "  84 51 80 00 00 20 40  Error: ICRC, ABRT 128 sectors at LBA = 0x00200000 = 2097152" \
    "  35 00 80 00 00 20 e0 00   1d+01:00:00.000  WRITE DMA EXT" \
    "Error 1 occurred at disk power-on lifetime: 12 hours (0 days + 12 hours)" \
    "  When the command that caused the error occurred, the device was in standby mode." \
    "  04 51 00 00 00 00 40  Error: ABRT" \
    "  e5 00 00 00 00 00 40 00      00:00:05.100  CHECK POWER MODE"
absent error-log-partial error "-l error" "device log contains only" "Warning: ATA error count"
expect error-log-wrapped error "-l error" \
    "ATA Error Count: 27 (device log contains only the most recent five errors)" \
    "Error 27 occurred at disk power-on lifetime: 900 hours (37 days + 12 hours)" \
    "  40 51 00 27 0a 00 40  Error: UNC at LBA = 0x00000a27 = 2599" \
    "  60 08 00 27 0a 00 40 00      00:00:27.000  READ FPDMA QUEUED" \
    "Error 23 occurred at disk power-on lifetime: 896 hours (37 days + 8 hours)"
absent error-log-wrapped error "-l error" "Error 22 occurred" "Warning: ATA error count"

expect selftest-log-failure selftest "-l selftest" \
    "# 1  Short offline       Completed without error       00%      3010         -" \
    "# 3  Extended offline    Completed: read failure       60%      2950         987654321" \
    "# 4  Conveyance offline  Completed without error       00%       100         -" \
    "# 5  Short offline       Aborted by host               00%        90         -" \
    "# 6  Offline             Interrupted (host reset)      00%        80         -" \
    "1 of 1 failed self-tests are outdated by newer successful extended offline self-test # 2"
status selftest-log-failure selftest "-l selftest" 0 $FAILLOG
expect selftest-log-current-failure a "-a" \
    "Self-test execution status:      (  96)" \
    "# 1  Short captive       Completed: servo/seek failure 00%      4242         777"
status selftest-log-current-failure a "-a" $FAILLOG 0
expect no-selftests selftest "-l selftest" "No self-tests have been logged."

expect temperature-sct scttempsts "-l scttempsts" \
    "Current Temperature:                    42 Celsius" \
    "Power Cycle Min/Max Temperature:     30/44 Celsius" \
    "Lifetime    Min/Max Temperature:     21/48 Celsius" \
    "Under/Over Temperature Limit Count:   0/3" \
    "SMART Status:                        0xc24f (PASSED)"
expect temperature-sct A "-A" "194 Temperature_Celsius     0x0022   108   100   000    Old_age   Always       -       42 (Min/Max 21/48)"
expect temperature-sct c "-c" "SCT capabilities: ${tab}       (0x0001)${tab}SCT Status supported."

expect health-unsupported H "-H" \
    "SMART Status not supported: Function not implemented" \
    "SMART overall-health self-assessment test result: FAILED!" \
    "Warning: This result is based on an Attribute check."

expect old-ata7 a "-a" \
    "ATA Version is:   ATA/ATAPI-7 published, ANSI INCITS 397-2005" \
    "SATA Version is:  SATA 2.5, 3.0 Gb/s (current: 1.5 Gb/s)" \
    "Sector Size:      512 bytes logical/physical" \
    "No General Purpose Logging support." \
    "No Conveyance Self-test supported." \
    "recommended polling time: ${tab} ( 300) minutes." \
    "Selective Self-tests/Logging not supported" \
    "No Errors Logged"
absent old-ata7 a "-a" "LU WWN Device Id:" "Conveyance self-test routine"

expect ssd-4kn i "-i" \
    "User Capacity:    1,000,204,886,016 bytes [1.00 TB]" \
    "Sector Size:      4096 bytes logical/physical" \
    "Rotation Rate:    Solid State Device" \
    "Form Factor:      M.2" \
    "TRIM Command:     Available, deterministic, zeroed" \
    "ATA Version is:   ACS-4 T13/BSR INCITS 529 revision 5"
expect ssd-4kn A "-A" "SMART Attributes Data Structure revision number: 1" "177 Wear_Leveling_Count"

expect defaults a "-a" \
    "Device Model:     TARVEL TEST DEFAULTS" \
    "SMART overall-health self-assessment test result: PASSED" \
    "194 Temperature_Celsius     0x0022   116   105   000    Old_age   Always       -       34 (Min/Max 20/45)" \
    "No Errors Logged" \
    "No self-tests have been logged."

# 4. Malformed descriptions: each starts with "# error: LINE: MESSAGE".
for desc in "$root"/tests/drives/invalid/*.drive; do
    want=$(head -n 1 "$desc")
    want=${want#\# error: }
    line=${want%%:*}
    message=${want#*: }
    file=$(basename "$desc")
    "$tool" "$desc" > "$work/trace" 2> "$work/err"
    status_code=$?
    if [[ $status_code -ne 2 ]]; then
        fail "$file: exit status $status_code, wanted 2"
    elif ! grep -qF -- "$file:$line: error: " "$work/err" || ! grep -qF -- "$message" "$work/err"; then
        fail "$file: wanted \"$file:$line: error: $message\", got \"$(cat "$work/err")\""
    elif [[ -s $work/trace ]]; then
        fail "$file: wrote a trace despite the error"
    else
        pass
    fi
done

# 5. Damaged descriptions never crash the tool: every prefix of every
#    description, and every line cut short or given an absurd number,
#    either makes a trace smartctl can parse or is rejected with status 2.
robust() {
    local label=$1
    "$tool" "$work/damaged.drive" > "$work/trace" 2> "$work/err"
    local code=$?
    if [[ $code -eq 0 ]]; then
        "$smartctl" -a - < "$work/trace" > "$out" 2>&1
        if grep -Eq 'Syntax error|Command not found|[Cc]hecksum' "$out"; then
            fail "$label: trace does not replay: $(grep -E 'Syntax error|Command not found|[Cc]hecksum' "$out" | head -n 1)"
            return
        fi
    elif [[ $code -ne 2 ]]; then
        fail "$label: exit status $code"
        return
    fi
    pass
}
for desc in "${descriptions[@]}"; do
    count=$(wc -l < "$desc")
    for ((n = 1; n <= count; n += 3)); do
        head -n "$n" "$desc" > "$work/damaged.drive"
        robust "$(name_of "$desc") first $n lines"
    done
    for ((n = 1; n <= count; n += 2)); do
        awk -v n="$n" 'NR == n { print substr($0, 1, int(length($0) / 2)); next } { print }' "$desc" > "$work/damaged.drive"
        robust "$(name_of "$desc") line $n cut"
        awk -v n="$n" 'NR == n { gsub(/[0-9]+/, "18446744073709551616") } { print }' "$desc" > "$work/damaged.drive"
        robust "$(name_of "$desc") line $n overflowed"
    done
done
printf '[drive]\nmodel: A\0B\n' > "$work/damaged.drive"
"$tool" "$work/damaged.drive" > /dev/null 2> "$work/err"
if [[ $? -eq 2 ]] && grep -qF "damaged.drive:2: error:" "$work/err"; then pass; else fail "NUL byte not rejected"; fi

# 6. Command line.
# check LABEL COMMAND...: COMMAND succeeds.
check() {
    local label=$1
    shift
    if "$@"; then pass; else fail "$label"; fi
}
# exits_with CODE ARGS...: the tool ends with CODE.
exits_with() {
    local code=$1
    shift
    "$tool" "$@" > /dev/null 2>&1
    [[ $? -eq $code ]]
}
desc=$(path_of healthy-hdd)
lists_modes() { "$tool" --list-modes | grep -q '^any '; }
same_as_stdout() { "$tool" -o "$work/o.trace" "$desc" && "$tool" "$desc" | cmp -s - "$work/o.trace"; }
reads_stdin() { "$tool" - < "$desc" | grep -q 'REPORT-IOCTL: Device=/dev/sda Command=IDENTIFY DEVICE returned 0'; }
# Descriptions saved with a byte-order mark and CRLF line ends.
reads_crlf() {
    printf '\xef\xbb\xbf[drive]\r\nmodel: CRLF TEST\r\n' > "$work/crlf.drive"
    "$tool" "$work/crlf.drive" | "$smartctl" -i - | grep -qx 'Device Model:     CRLF TEST'
}
# The same description gives the same trace, byte for byte.
reproducible() { "$tool" "$desc" > "$work/one" && "$tool" "$desc" > "$work/two" && cmp -s "$work/one" "$work/two"; }
check "--list-modes" lists_modes
check "unknown mode not rejected with status 2" exits_with 2 --for nonsense "$desc"
check "missing description not rejected with status 2" exits_with 2 "$work/does-not-exist.drive"
check "missing argument not rejected with status 2" exits_with 2
check "-o differs from standard output" same_as_stdout
check "description from standard input" reads_stdin
check "BOM and CRLF description" reads_crlf
check "trace not reproducible" reproducible

echo "fakedrive replay: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
