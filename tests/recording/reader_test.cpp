#include "core/errors.h"
#include "recording/reader.h"
#include "recording/writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace orvel::recording {
namespace {

// Three rows as the recorder writes them; the middle one has negative and
// fractional values.
std::string written() {
    Recording r;
    for (int i = 0; i < 3; ++i) {
        Row row;
        row.timeMs = i * 1005;
        row.values[col::rpm] = 800 + i;
        row.values[col::ti] = 25;
        row.values[col::shortTrim] = -i;
        row.values[col::tpsVolts] = 5 * i;
        row.values[col::atmPressure] = 1020;
        row.frames[2] = {31, {static_cast<std::uint8_t>(0xF0 + i), 0, 0, 0, 0, 0, 0, 0xAB}};
        r.append(row);
    }
    return writeRecording(r);
}

std::string replace(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// The file with its line n (1 is the header) changed.
std::string withLine(int n, const std::function<std::string(std::string)>& change) {
    std::string text = written();
    std::size_t start = kByteOrderMark.size();
    for (int i = 1; i < n; ++i) {
        start = text.find('\n', start) + 1;
    }
    const auto end = text.find("\r\n", start);
    return text.substr(0, start) + change(text.substr(start, end - start)) + text.substr(end);
}

struct Accepted {
    const char* name;
    std::function<std::string()> bytes;
    std::size_t rows;
    bool cut;
};

TEST(RecordingReader, AcceptsWhatTheProgramWritesAndWhatSpreadsheetsAndCrashesLeave) {
    const Accepted cases[] = {
        {"as written", written, 3, false},
        {"LF line ends", [] { return replace(written(), "\r\n", "\n"); }, 3, false},
        {"no byte-order mark", [] { return written().substr(3); }, 3, false},
        {"last line cut by a crash", [] { return written().substr(0, written().size() - 30); }, 2,
         true},
        {"last line without its end", [] { return written().substr(0, written().size() - 2); }, 3,
         false},
        {"blank lines at the end", [] { return written() + "\r\n\r\n"; }, 3, false},
        {"an extra column, quoted",
         [] {
             const std::string field = "\"a \"\"b\"\"\";";
             auto text = replace(withLine(1, [](auto l) { return "\"Nota; livre\";" + l; }), "\r\n",
                                 "\r\n" + field);
             return text.substr(0, text.size() - field.size());
         },
         3, false},
        {"an unknown value left empty",
         [] { return withLine(2, [](auto l) { return replace(l, ";800;", ";;"); }); }, 3, false},
        {"the duty column under its former name",
         [] { return replace(written(), "Ciclo do injetor (%)", "Abertura (%)"); }, 3, false},
        {"more decimals than the column keeps",
         [] { return withLine(3, [](auto l) { return replace(l, ";2,5;", ";2,35;"); }); }, 3,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = readRecording(c.bytes());
        EXPECT_EQ(result.recording.rows(), c.rows);
        EXPECT_EQ(result.lastLineCut, c.cut);
        // What loads writes back, and that reads back to the same bytes.
        const std::string once = writeRecording(result.recording);
        EXPECT_EQ(writeRecording(readRecording(once).recording), once);
    }
    EXPECT_EQ(writeRecording(readRecording(written()).recording), written());
    const auto extra = readRecording(cases[6].bytes()).recording;
    ASSERT_EQ(extra.extraColumns, std::vector<std::string>{"Nota; livre"});
    EXPECT_EQ(extra.extraValues[0][0], "a \"b\"");
    const auto gap = readRecording(cases[7].bytes()).recording;
    EXPECT_FALSE(gap.known(col::rpm, 0));
    EXPECT_TRUE(std::isnan(gap.value(col::rpm, 0)));
    EXPECT_EQ(gap.value(col::rpm, 1), 801);
    EXPECT_DOUBLE_EQ(readRecording(cases[9].bytes()).recording.value(col::ti, 1), 2.4);
}

TEST(RecordingReader, RefusesAnythingElseNamingTheLine) {
    const struct {
        const char* name;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"empty", "", "O arquivo não é um registro do Orvel (linha 1: o arquivo está vazio)"},
        {"a map file", "0;0;0;0\r\n",
         "O arquivo não é um registro do Orvel (linha 1: falta a coluna \"Tempo (s)\")"},
        {"a column twice", withLine(1, [](auto l) { return l + ";RPM"; }),
         "O arquivo não é um registro do Orvel (linha 1: a coluna \"RPM\" aparece duas vezes)"},
        {"a field missing in the middle",
         withLine(3, [](auto l) { return l.substr(0, l.rfind(';')); }),
         "Registro inválido na linha 3: 22 campos, mas o cabeçalho tem 23"},
        {"a blank line in the middle", withLine(2, [](auto) { return ""; }),
         "Registro inválido na linha 2: 1 campos, mas o cabeçalho tem 23"},
        {"a number that does not parse",
         withLine(4, [](auto l) { return replace(l, ";802;", ";8O2;"); }), ""},
        {"a thousands separator",
         withLine(3, [](auto l) { return replace(l, ";801;", ";1.801;"); }),
         "Registro inválido na linha 3: a coluna \"RPM\" tem \"1.801\", que não é um número"},
        {"out of the frames' range",
         withLine(2, [](auto l) { return replace(l, ";1020;", ";99999;"); }),
         "Registro inválido na linha 2: a coluna \"Pressão Atm (mbar)\" tem \"99999\", fora da "
         "faixa que os quadros podem dar"},
        {"frames not in hex", withLine(2, [](auto l) { return replace(l, "AB", "XY"); }), ""},
        {"time going back", withLine(4, [](auto l) { return replace(l, "2,010;", "1,004;"); }), ""},
        {"a quote left open", withLine(2, [](auto l) { return "\"" + l; }), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            (void)readRecording(c.bytes);
            ADD_FAILURE() << "loaded";
        } catch (const FileError& e) {
            const std::string message = e.what();
            if (!c.message.empty()) {
                EXPECT_EQ(message, c.message);
            } else {
                EXPECT_TRUE(message.starts_with("Registro inválido na linha ")) << message;
            }
        }
    }
}

} // namespace
} // namespace orvel::recording
