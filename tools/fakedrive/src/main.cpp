// tarvel-fakedrive: turn a drive description into a trace that the real
// smartctl replays as if it were talking to that drive.

#include "parser.h"
#include "plan.h"
#include "trace.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int exit_ok = 0;
constexpr int exit_io = 1;
constexpr int exit_usage = 2; // also a malformed description

// Descriptions are a few kilobytes; anything huge is a mistake.
constexpr std::size_t max_description_bytes = 1 << 20;

const char* const program = "tarvel-fakedrive";

void print_usage(std::ostream& out)
{
    out << "Usage: " << program << " [--for MODE] [-o FILE] DESCRIPTION\n"
        << "       " << program << " --list-modes\n\n"
        << "Writes the trace that 'smartctl -r ataioctl,2' would print for the drive in\n"
        << "DESCRIPTION ('-' reads standard input). Replay it with: smartctl OPTIONS - < TRACE\n\n"
        << "  --for MODE  the smartctl option the trace is for (default: a, i.e. -a)\n"
        << "  -o FILE     write to FILE instead of standard output\n";
}

void print_modes()
{
    for (const fakedrive::Mode& m : fakedrive::modes())
        std::printf("%-11s smartctl %-16s %s\n", std::string(m.name).c_str(),
                    std::string(m.smartctl_options).c_str(), std::string(m.summary).c_str());
}

struct Options {
    std::string description;
    std::optional<std::string> output;
    std::string mode = "a";
};

// nullopt with an exit code already chosen when there is nothing to run.
std::optional<Options> parse_args(const std::vector<std::string>& args, int& exit_code)
{
    Options opts;
    bool have_description = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 < args.size())
                return args[++i];
            std::cerr << program << ": " << a << " needs a value\n";
            return std::nullopt;
        };
        if (a == "-h" || a == "--help") {
            print_usage(std::cout);
            exit_code = exit_ok;
            return std::nullopt;
        }
        if (a == "--list-modes") {
            print_modes();
            exit_code = exit_ok;
            return std::nullopt;
        }
        if (a == "-o" || a == "--output" || a == "--for") {
            const auto v = value();
            if (!v) {
                exit_code = exit_usage;
                return std::nullopt;
            }
            if (a == "--for")
                opts.mode = *v;
            else
                opts.output = *v;
        } else if (a.rfind("--for=", 0) == 0) {
            opts.mode = a.substr(6);
        } else if (a.size() > 1 && a[0] == '-') {
            std::cerr << program << ": unknown option " << a << "\n";
            print_usage(std::cerr);
            exit_code = exit_usage;
            return std::nullopt;
        } else if (have_description) {
            std::cerr << program << ": only one DESCRIPTION, got '" << opts.description << "' and '" << a
                      << "'\n";
            exit_code = exit_usage;
            return std::nullopt;
        } else {
            opts.description = a;
            have_description = true;
        }
    }
    if (!have_description) {
        print_usage(std::cerr);
        exit_code = exit_usage;
        return std::nullopt;
    }
    return opts;
}

std::optional<std::string> read_all(std::istream& in)
{
    std::string text;
    char buf[8192];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        text.append(buf, static_cast<std::size_t>(in.gcount()));
        if (text.size() > max_description_bytes)
            return std::nullopt;
    }
    return text;
}

std::string base_name(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int run(const Options& opts)
{
    const auto mode = fakedrive::find_mode(opts.mode);
    if (!mode) {
        std::cerr << program << ": unknown mode '" << opts.mode << "'; these exist:\n";
        for (const fakedrive::Mode& m : fakedrive::modes())
            std::cerr << "  " << m.name << "\n";
        return exit_usage;
    }

    std::optional<std::string> text;
    if (opts.description == "-") {
        text = read_all(std::cin);
    } else {
        std::ifstream in(opts.description, std::ios::binary);
        if (!in) {
            std::cerr << program << ": cannot open " << opts.description << "\n";
            return exit_usage;
        }
        text = read_all(in);
    }
    if (!text) {
        std::cerr << program << ": " << opts.description << ": larger than 1 MiB; not a drive description\n";
        return exit_usage;
    }

    std::string trace;
    try {
        const fakedrive::Drive drive = fakedrive::parse_description(*text);
        trace = fakedrive::write_trace(drive, *mode, fakedrive::plan_commands(drive, *mode),
                                       base_name(opts.description));
    } catch (const fakedrive::ParseError& e) {
        std::cerr << opts.description;
        if (e.line() > 0)
            std::cerr << ":" << e.line();
        std::cerr << ": error: " << e.what() << "\n";
        return exit_usage;
    } catch (const std::length_error& e) {
        std::cerr << program << ": " << e.what() << "\n";
        return exit_usage;
    }

    if (!opts.output) {
        std::cout << trace << std::flush;
        if (!std::cout) {
            std::cerr << program << ": writing standard output failed\n";
            return exit_io;
        }
        return exit_ok;
    }
    std::ofstream out(*opts.output, std::ios::binary | std::ios::trunc);
    out << trace;
    out.close();
    if (!out) {
        std::cerr << program << ": cannot write " << *opts.output << "\n";
        return exit_io;
    }
    return exit_ok;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        int exit_code = exit_ok;
        const auto opts = parse_args(args, exit_code);
        if (!opts)
            return exit_code;
        return run(*opts);
    } catch (const std::exception& e) {
        std::cerr << program << ": " << e.what() << "\n";
        return exit_io;
    }
}
