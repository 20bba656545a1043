#include "web/message_lines.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

std::string scriptFromPageRows(const std::string& rows, const std::string& previous) {
    std::vector<MessageRow> parsed;
    std::istringstream in(rows);
    for (std::string row; std::getline(in, row);) {
        const std::size_t tab = row.find('\t');
        MessageRow message;
        message.text = row.substr(0, tab);
        if (tab != std::string::npos)
            message.seconds = std::strtod(row.c_str() + tab + 1, nullptr);
        parsed.push_back(message);
    }
    return scriptFromRows(parsed, previous);
}

std::string pageRowsFromScript(const std::string& script) {
    std::string rows;
    for (MessageRow& row : rowsFromScript(script)) {
        std::replace(row.text.begin(), row.text.end(), '\n', ' ');
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", row.seconds);
        rows += row.text + "\t" + seconds + "\n";
    }
    return rows;
}
