#include "boarddiag/shell/command_word.hpp"

namespace boarddiag {
namespace {

bool is_blank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f';
}

}  // namespace

CommandWord split_command(std::string_view line) {
    std::size_t start = 0;
    while (start < line.size() && is_blank(line[start])) ++start;
    std::size_t end = start;
    while (end < line.size() && !is_blank(line[end])) ++end;
    return {line.substr(start, end - start), line.substr(end)};
}

}  // namespace boarddiag
