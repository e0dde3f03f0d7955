// The string commands: service words matched by name after the table lookup found no handler.
// Without the debug switch every word is answered "No Command(%s)".

#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/text/format.hpp"

void CTamrelComMFC::run_string_command(const std::u16string& word, const std::u16string& line,
                                       std::size_t word_end) {
    (void)line;
    (void)word_end;
    TmStatusStrUpdate(platform::format(u"No Command(%s)", word));
}
