#include "core/errors.h"
#include "files/field_caption.h"
#include "files/map_file.h"
#include "model/config.h"
#include "support/fakes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#ifndef _WIN32
#include <sys/resource.h>
#endif
#include <unistd.h>
#include <vector>

namespace orvel::test {
namespace {

// The file saved right after start.
constexpr std::string_view kDefaultsLine =
    "TPS X RPM;Injetado;6000;128;1;70;1500;2200;10;10;6;6;6;6;6;6;10;10;12;12;12;12;12;12;11;"
    "18;18;19;20;20;21;22;32;32;31;30;29;28;27;25;33;33;32;31;30;29;28;26;33;33;32;32;30;29;2"
    "8;26;34;34;33;33;31;30;29;27;34;34;33;33;31;30;29;27;34;34;33;33;31;30;29;27;3,5;5,2;5,8"
    ";6,8;7,4;7,8;8;8,1;3,1;4,3;5,3;6,5;7,3;7,6;7,8;8,1;2,8;4;5;6,2;7,2;7,6;7,8;8,1;2,5;3,8;4"
    ",4;6,2;7,2;7,6;8;8,2;2,4;3,3;4,2;6;7,4;8,2;8,2;8,3;2,4;3,1;4,2;5,8;7,6;8,7;8,6;8,6;2,3;2"
    ",9;4;5,7;7,4;8,2;8,3;8,5;2,3;2,8;3,9;5,6;7,3;7,8;8,3;8,3;2,2;2,8;3,8;5,5;7,2;7,8;8,1;8,1"
    ";Normal;550;700;860;TPS;30;Ativada;0;0;0;0;TPS;3;3;3;45;35;25;15;5;0;0;0;5;4;3;2;1;0;0;-"
    "2;70;50;40;30;20;15;0;0;87;80;4;6;0,2;20;130;230";

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A file line of `count` values: "v1;v2;...".
std::string numberedLine(int count) {
    std::string line;
    for (int i = 1; i <= count; ++i) {
        line += (i > 1 ? ";" : "") + std::to_string(i);
    }
    return line;
}

// The defaults line with some values replaced (positions from 1).
std::string defaultsWith(std::vector<std::pair<int, std::string>> changes) {
    std::vector<std::string> values{""};
    for (char c : kDefaultsLine) {
        if (c == ';') {
            values.emplace_back();
        } else {
            values.back().push_back(c);
        }
    }
    for (auto& [position, text] : changes) {
        values.at(static_cast<std::size_t>(position - 1)) = text;
    }
    std::string line;
    for (std::size_t i = 0; i < values.size(); ++i) {
        line += (i > 0 ? ";" : "") + values[i];
    }
    return line;
}

class MapFileTest : public CoreTest {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }

    void save(const std::string& file) {
        dialogs.expectSave(file);
        ASSERT_TRUE(form.click("btnSalvar"));
    }
    void load(const std::string& file) {
        dialogs.expectOpen(file);
        ASSERT_TRUE(form.click("btnCarregar"));
    }
    // Every field value in file order plus the two numbers.
    mapfile::Values snapshot() const {
        return mapfile::collect(form.controls, form.state.tpsClosedValue, form.state.tpsOpenValue);
    }

    QTemporaryDir dir;
};

TEST_F(MapFileTest, SavingRightAfterStartWritesTheDefaultsLine) {
    ASSERT_EQ(kDefaultsLine.size(), 664u);
    const auto file = path("padrao.txt");
    save(file);
    EXPECT_EQ(readBytes(file), std::string(kDefaultsLine) + "\r\n");
}

TEST_F(MapFileTest, DialogsOfferTheFilterFolderAndTheirOwnLastFileName) {
    const auto first = path("a.txt");
    save(first);
    ASSERT_TRUE(dialogs.lastOptions);
    EXPECT_EQ(dialogs.lastOptions->name, "sdSalvar");
    EXPECT_EQ(dialogs.lastOptions->filter,
              "Arquivos Compatíveis (.txt)|*.txt|Todos os arquivos|*.*");
    EXPECT_EQ(dialogs.lastOptions->defaultExt, "*.txt");
    EXPECT_EQ(dialogs.lastOptions->initialDir, mapfile::initialFolder());
    EXPECT_EQ(dialogs.lastOptions->fileName, "");

    save(path("b.txt"));
    EXPECT_EQ(dialogs.lastOptions->fileName, first);

    // The open dialog keeps its own name; a cancelled one keeps the last.
    dialogs.expectOpen(std::nullopt);
    form.click("Button2");
    EXPECT_EQ(dialogs.lastOptions->name, "odCarregar");
    EXPECT_EQ(dialogs.lastOptions->fileName, "");
    load(first);
    dialogs.expectOpen(std::nullopt);
    form.click("btnCarregar");
    EXPECT_EQ(dialogs.lastOptions->fileName, first);
}

#ifndef _WIN32
TEST_F(MapFileTest, InitialFolderIsTheProgramFolderInHomeWhenItExists) {
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", dir.path().toUtf8());
    EXPECT_EQ(mapfile::initialFolder(), dir.path().toStdString());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("InjeçãoZelvarinOrvel")));
    EXPECT_EQ(mapfile::initialFolder(), path("InjeçãoZelvarinOrvel"));
    qputenv("HOME", savedHome);
}
#else
TEST_F(MapFileTest, InitialFolderIsTheProgramFolderOnDriveCMadeWhenMissing) {
    QDir(QStringLiteral("C:/InjeçãoZelvarinOrvel")).removeRecursively();
    EXPECT_EQ(mapfile::initialFolder(), "C:\\InjeçãoZelvarinOrvel");
    EXPECT_TRUE(QFileInfo(QStringLiteral("C:/InjeçãoZelvarinOrvel")).isDir());
}
#endif

TEST_F(MapFileTest, CancelledDialogsChangeNothing) {
    dialogs.expectSave(std::nullopt);
    form.click("Button1");
    setText("e0", "99");
    dialogs.expectOpen(std::nullopt);
    form.click("btnCarregar");
    EXPECT_EQ(text("e0"), "99");
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(MapFileTest, SaveAndLoadGiveBackEveryTextIncludingEmptyInvalidAndAccented) {
    setText("eSondaTemp", "");
    setText("e7", "abc");
    setText("e8i", "3,55");
    setText("cbSondaAtiva", "Só na lenta");
    setText("eLimiteRpm", "ção°");
    setText("ePercEletro", "€ 5");
    setText("e71i", " 8,1 ");
    form.state.tpsClosedValue = 7;
    form.state.tpsOpenValue = 255;
    const auto saved = snapshot();
    const auto file = path("ida-e-volta.txt");
    save(file);

    const std::string bytes = readBytes(file);
    EXPECT_NE(bytes.find("S\xF3 na lenta"), std::string::npos); // Windows-1252, one byte each
    EXPECT_NE(bytes.find(";\xE7\xE3o\xB0;"), std::string::npos);
    EXPECT_NE(bytes.find(";\x80 5;"), std::string::npos);

    // Load into a window that differs everywhere.
    for (const auto& p : config::fileOrder()) {
        setText(p.key, "x");
    }
    form.state.tpsClosedValue = 1;
    form.state.tpsOpenValue = 2;
    load(file);
    EXPECT_EQ(snapshot(), saved);
}

TEST_F(MapFileTest, EachCellIsWrittenAtItsOwnPosition) {
    for (int n = 0; n < config::kMapCells; ++n) {
        setText(config::ignitionKey(n), "7");
        setText(config::injectionKey(n), "7");
    }
    setText("e8", "i8");
    setText("e7i", "j7");
    const auto file = path("celulas.txt");
    save(file);
    const auto values = mapfile::decodeSlots(readBytes(file));
    ASSERT_EQ(values.size(), 199u);
    EXPECT_EQ(values[9 + 8 - 1], "i8");
    EXPECT_EQ(values[81 + 7 - 1], "j7");
    EXPECT_EQ(std::count(values.begin(), values.end(), "7"), 142);
}

struct SlotCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> table;
};

TEST(MapFileSlotsTest, FirstLineEndsAtLineFeedEndOfFileCharacterOrEndOfData) {
    const std::vector<SlotCase> cases = {
        {"CR LF", "a;b\r\nc;d\r\n", {"a", "b"}},
        {"LF only", "a;b\nc", {"a", "b"}},
        {"no line end", "a;b", {"a", "b"}},
        {"end-of-file character", std::string("a;b\x1A;c\r\n"), {"a", "b"}},
        {"CR elsewhere dropped", "a\r;\rb\r\r\n", {"a", "b"}},
        {"lone CR is no line end", "a\rb;c", {"ab", "c"}},
        {"empty file", "", {""}},
        {"empty line", "\r\nx;y", {""}},
        {"empty values", ";;x;", {"", "", "x", ""}},
        {"no separator", "TPS X RPM", {"TPS X RPM"}},
        {"Windows-1252", "\xB0;\xE7\xE3;\x80", {"°", "çã", "€"}},
        {"undefined byte", "\x81;\x9D", {"\xC2\x81", "\xC2\x9D"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mapfile::decodeSlots(c.bytes), c.table) << c.name;
    }
}

TEST(MapFileSlotsTest, ValuesBeyondTheTwoHundredFiftySixthSlotAreIgnored) {
    const auto table = mapfile::decodeSlots(numberedLine(300) + "\r\n");
    ASSERT_EQ(table.size(), 256u);
    EXPECT_EQ(table.front(), "1");
    EXPECT_EQ(table.back(), "256");
    EXPECT_EQ(mapfile::decodeSlots(numberedLine(256)).back(), "256");
}

TEST(MapFileLineTest, LineIsJoinedBySemicolonsInWindows1252WithCrLf) {
    EXPECT_EQ(mapfile::encodeLine({"a", "", "b"}), "a;;b\r\n");
    EXPECT_EQ(mapfile::encodeLine({"°C", "ç", "€", "\xC2\x81"}), "\xB0"
                                                                 "C;\xE7;\x80;\x81\r\n");
    EXPECT_EQ(mapfile::decodeSlots(mapfile::encodeLine({"ÿ", "Ñ"})),
              (std::vector<std::string>{"ÿ", "Ñ"}));
}

TEST(MapFileLineTest, TextsThatWouldNotLoadBackAreNamedAndRefused) {
    const std::pair<const char*, const char*> cases[] = {
        {"1;2", ";"},
        {"a\nb", "quebra de linha"},
        {"a\r", "quebra de linha"},
        {"ok 日", "日"},
        {"✓", "✓"},
        {"\xFF", "\xFF"}, // not UTF-8 at all
    };
    for (const auto& [text, offending] : cases) {
        EXPECT_EQ(mapfile::unwritableCharacter(text), offending) << text;
        EXPECT_THROW((void)mapfile::encodeLine({"x", text}), FileError) << text;
    }
    EXPECT_EQ(mapfile::unwritableCharacter("Des em Marcha Lenta °ç€"), "");
}

struct RefusedTextCase {
    const char* key;
    const char* text;
    const char* shown;
    const char* caption; // how the message names the field
};

TEST_F(MapFileTest, SaveRefusesATextThatWouldNotLoadBackAndLeavesTheFileAlone) {
    const RefusedTextCase cases[] = {
        {"eSondaTemp", "30;40", ";", "Sonda Lambda: °C"},
        {"cbSondaAtiva", "Ativada\r\n", "quebra de linha", "Sonda Lambda: Atividade"},
        {"e12i", "5\n", "quebra de linha", "Mapa de Injeção, 900 RPM, coluna 5"},
        {"ePercEletro", "20 ✓", "✓", "Eletro Ventilador: % Atuador M. Lenta"},
        {"eCorrecaoIg30", ";", ";", "Correções Por Temperatura do Motor: Correção Avanço a 30 °C"},
        {"eSondaPlena", ";", ";", "Sonda Lambda: Valor Alvo Plena"},
        {"eAtm880", ";", ";", "Pressão Atmosférica: 880 mbar"},
        {"e71", ";", ";", "Mapa de Ignição, 7200 RPM, coluna 8"},
    };
    const auto file = path("existente.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        writeBytes(file, "conteudo anterior");
        const std::string before = text(c.key);
        setText(c.key, c.text);
        form.controls.noteFocus("btnSalvar");
        dialogs.expectSave(file);
        dialogs.expectMessage(std::string(" Atenção ! !  O campo \"") + c.caption +
                              "\" contém um caractere não permitido (" + c.shown + ").  ");
        form.click("btnSalvar");
        EXPECT_EQ(form.controls.focused(), c.key);
        EXPECT_EQ(readBytes(file), "conteudo anterior");
        setText(c.key, before);
    }
}

TEST_F(MapFileTest, EveryFieldHasACaptionOfItsOwn) {
    std::set<std::string> seen;
    for (const auto& p : config::fileOrder()) {
        if (form.controls.get(p.key).parent == "Form1") {
            continue; // carried outside the pages: the user never sees or types it
        }
        const std::string caption = fieldCaption(form.controls, p.key);
        EXPECT_TRUE(caption.find(':') != std::string::npos || caption.starts_with("Mapa"))
            << p.key << " is named only \"" << caption << "\"";
        EXPECT_TRUE(seen.insert(caption).second) << caption << " names two fields";
    }
}

TEST_F(MapFileTest, SaveIntoAMissingFolderReportsThePathAndWritesNothing) {
    const auto file = path("nao-existe/mapa.txt");
    dialogs.expectSave(file);
    dialogs.expectError("Path not found.");
    form.click("btnSalvar");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(file)));
}

#ifndef _WIN32
TEST_F(MapFileTest, FailedWriteKeepsThePreviousFile) {
    // A file-size limit makes the write fail even for root; the signal it raises
    // is ignored so that the write returns an error instead.
    const auto file = path("anterior.txt");
    writeBytes(file, "arquivo anterior\r\n");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    dialogs.expectSave(file);
    dialogs.expectError("File too large.");
    form.click("btnSalvar");

    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(readBytes(file), "arquivo anterior\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "temporary file left behind";
}
#endif

#ifndef _WIN32
TEST_F(MapFileTest, SaveIntoAReadOnlyFolderKeepsThePreviousFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    const auto file = path("somente-leitura.txt");
    writeBytes(file, "antes");
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    dialogs.expectSave(file);
    form.click("btnSalvar");
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].rfind("E:", 0), 0u);
    EXPECT_EQ(readBytes(file), "antes");
}
#endif

TEST_F(MapFileTest, LoadingSetsTextsAndTpsNumbersOnly) {
    const auto file = path("map.txt");
    writeBytes(file, defaultsWith({{1, "MAP X RPM"}, {198, "100"}, {199, "200"}}) + "\r\n");
    const auto barMax = form.controls.get("BarraTps").max;
    const bool saveEnabled = form.controls.enabled("btnSalvar");
    const bool sendEnabled = form.controls.enabled("btnEnvia");
    load(file);
    EXPECT_EQ(text("cbCombinacaoMapa"), "MAP X RPM");
    EXPECT_EQ(form.state.tpsClosedValue, 100);
    EXPECT_EQ(form.state.tpsOpenValue, 200);
    EXPECT_EQ(form.controls.caption("Label57"), "1");
    EXPECT_EQ(form.controls.caption("Label79"), "8");
    EXPECT_EQ(form.controls.get("BarraTps").max, barMax);
    EXPECT_EQ(form.controls.enabled("btnSalvar"), saveEnabled);
    EXPECT_EQ(form.controls.enabled("btnEnvia"), sendEnabled);
    EXPECT_TRUE(link.writes.empty());
}

TEST_F(MapFileTest, ExtraValuesAfterTheTpsNumbersAreIgnored) {
    for (int count : {256, 300}) {
        SCOPED_TRACE(count);
        const auto file = path("longo.txt");
        writeBytes(file, numberedLine(count) + "\n");
        load(file);
        EXPECT_EQ(text("cbCombinacaoMapa"), "1");
        EXPECT_EQ(text("e0"), "9");
        EXPECT_EQ(text("ePercEletro"), "197");
        EXPECT_EQ(form.state.tpsClosedValue, 198);
        EXPECT_EQ(form.state.tpsOpenValue, 199);
    }
}

struct BadTpsCase {
    const char* name;
    std::string line;
    const char* error;
};

TEST_F(MapFileTest, BadTpsNumbersRefuseTheWholeFileBeforeAnyFieldChanges) {
    const std::vector<BadTpsCase> cases = {
        {"197 values", numberedLine(197), "'' is not a valid integer value."},
        {"short line", "so isto", "'' is not a valid integer value."},
        {"closed not a number", defaultsWith({{198, "abc"}}),
         "'abc' is not a valid integer value."},
        {"open not a number", defaultsWith({{199, "2,5"}}), "'2,5' is not a valid integer value."},
        {"open out of range", defaultsWith({{199, "99999999999"}}),
         "'99999999999' is not a valid integer value."},
    };
    const auto file = path("ruim.txt");
    setText("e5", "15");
    form.state.tpsClosedValue = 111;
    form.state.tpsOpenValue = 222;
    const auto before = snapshot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(file, c.line + "\r\n");
        dialogs.expectOpen(file);
        dialogs.expectError(c.error);
        form.click("btnCarregar");
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(MapFileTest, LoadErrorsLeaveTheWindowUnchanged) {
    const auto before = snapshot();

    dialogs.expectOpen(path("nenhum.txt"));
    dialogs.expectError("File not found.");
    form.click("btnCarregar");

    dialogs.expectOpen(dir.path().toStdString());
    dialogs.expectError("File access denied.");
    form.click("btnCarregar");

    EXPECT_EQ(snapshot(), before);
}

TEST_F(MapFileTest, FileOverOneMebibyteIsRefusedWithoutChangingTheWindow) {
    const auto file = path("grande.txt");
    const std::string line = defaultsWith({{3, "7000"}}) + "\r\n";
    std::string bytes = line;
    bytes.resize(mapfile::kMaxFileBytes, 'x');
    writeBytes(file, bytes);
    load(file); // exactly the limit is fine
    EXPECT_EQ(text("eLimiteRpm"), "7000");

    setText("eLimiteRpm", "6000");
    bytes.push_back('x');
    writeBytes(file, bytes);
    dialogs.expectOpen(file);
    dialogs.expectError("Arquivo grande demais para ser um arquivo de mapa (mais de 1 MiB)");
    form.click("btnCarregar");
    EXPECT_EQ(text("eLimiteRpm"), "6000");
}

TEST_F(MapFileTest, SemicolonInsideAFileValueShiftsTheLaterValues) {
    // A file written elsewhere with a ';' inside a value splits on loading.
    const auto file = path("deslocado.txt");
    writeBytes(file, defaultsWith({{153, "Normal;extra"}}) + "\r\n");
    load(file);
    EXPECT_EQ(text("cbSondaTipo"), "Normal");
    EXPECT_EQ(text("eSondaLenta"), "extra");
    EXPECT_EQ(text("ePercEletro"), "0,2");
    EXPECT_EQ(form.state.tpsClosedValue, 20);
    EXPECT_EQ(form.state.tpsOpenValue, 130);
}

} // namespace
} // namespace orvel::test
