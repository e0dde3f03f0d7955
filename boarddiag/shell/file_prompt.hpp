#pragma once
// Asking the operator for a file path on the console (instead of a file dialog).

#include <string>

namespace boarddiag {

// Prints `question` and reads a path key by key, echoing it. False when the operator cancels
// with an empty line or the input ends.
bool ask_file_path(const char* question, std::string& path);

}  // namespace boarddiag
