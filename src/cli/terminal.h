// Text from files and command lines, made safe to print to a terminal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tk::cli {

// Longest key or argument echoed in a message, in characters.
inline constexpr std::size_t kEchoedChars = 64;
// Longest path echoed in a message, in characters.
inline constexpr std::size_t kPathChars = 1024;
// Longest text value that `show` prints, in characters.
inline constexpr std::size_t kShownChars = 200;

// `utf8` with every character that could move the cursor, recolour the terminal, ring
// the bell or forge a line written as an escape ("\n", "\t", "\u001b", "\u202e"; a
// byte that is not UTF-8 as "\xff"), and cut after `maxChars` characters with "…"
// and the full length in characters.
std::string TerminalText(std::string_view utf8, std::size_t maxChars);

} // namespace tk::cli
