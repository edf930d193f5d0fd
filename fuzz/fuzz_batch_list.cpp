// A batch list of any bytes: read line by line with bounded memory; every
// line kept is short, and is taken exactly when the text check takes it.
#include <cstdint>
#include <sstream>
#include <string>

#include "cli/batch_list.hpp"
#include "fail.hpp"
#include "seed/read_text_seed.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream in(bytes);
    const ts::BatchList list = ts::readBatchList(in);
    if (list.readFailed) fail("a string stream failed");
    std::size_t breaks = 0;
    for (const char c : bytes) breaks += c == '\n' ? 1 : 0;
    if (list.lines.size() > breaks + 1 || list.lines.size() > ts::kMaxBatchLines) fail("more lines than the list has");
    for (const ts::BatchLine& line : list.lines) {
        if (line.text.size() > 2 * ts::kMaxTextBytes) fail("a line kept whole past the text's limit");
        if (line.checked && !ts::checkText(line.text)) fail("a line taken that the text check refuses");
        if (!line.checked && line.checked.message.empty()) fail("a refusal without a message");
    }

    std::istringstream input(bytes);
    std::string text;
    const ts::Outcome read = ts::readTextInput(input, text);
    if (read && !ts::checkText(text)) fail("an input taken that the text check refuses");
    if (!read && read.message.empty()) fail("a refusal without a message");
    return 0;
}
