// The one-line entries of a description: attribute rows, logged errors,
// the commands before them, and self-tests.
#pragma once

#include "drive.h"

#include <string_view>

namespace fakedrive {

// "ID FLAGS VALUE WORST THRESH RAW [min=N] [max=N]"
Attribute parse_attribute_row(std::string_view text);

// "hours=N [state=S] er=E [st=S] [sc=N] [lba=N] [sn= cl= ch= dh=]"
LoggedError parse_logged_error(std::string_view text);

// "cr=C [fr= sc= lba= sn= cl= ch= dh= dc=] [time=T]"
LoggedCommand parse_logged_command(std::string_view text);

// "type=T status=S [remaining=P%] hours=N [lba=N] [checkpoint=N]"
SelfTest parse_self_test(std::string_view text);

// A self-test execution status byte: a number ("249", "0xf9") or a
// result name with an optional remaining percentage ("in-progress 90%").
std::uint8_t parse_self_test_status(std::string_view text);

} // namespace fakedrive
