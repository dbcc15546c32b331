// What the command line answers before the window opens.

#include "app/command_line.h"

#include <QTest>

#include <sstream>
#include <string>
#include <vector>

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void answers_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status"); // -1: the window opens
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString usage = QStringLiteral("Uso: orvel [opções]");
        const QString refused = QStringLiteral("orvel: opção desconhecida: ");
        QTest::newRow("none") << QStringList() << -1 << QString() << QString();
        QTest::newRow("help") << QStringList{"-h"} << 0 << usage << QString();
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << QStringLiteral("orvel " ORVEL_VERSION "\n") << QString();
        QTest::newRow("unknown option") << QStringList{"--bogus-option"} << 2 << QString()
                                        << refused + QStringLiteral("--bogus-option");
        QTest::newRow("stray word")
            << QStringList{"mapa.txt"} << 2 << QString() << refused + QStringLiteral("mapa.txt");
        QTest::newRow("toolkit's own")
            << QStringList{"-platform", "xcb", "--style=fusion", "-reverse", "-session", "1a2b"}
            << -1 << QString() << QString();
        QTest::newRow("unknown after the toolkit's")
            << QStringList{"-style", "fusion", "-x"} << 2 << QString() << refused + "-x";
    }

    void answers() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        std::vector<std::string> texts{"orvel"};
        for (const QString& a : args) {
            texts.push_back(a.toStdString());
        }
        std::vector<const char*> argv;
        for (const auto& t : texts) {
            argv.push_back(t.c_str());
        }
        std::ostringstream o;
        std::ostringstream e;
        const auto answer =
            orvel::app::answerCommandLine(static_cast<int>(argv.size()), argv.data(), o, e);
        QCOMPARE(answer.value_or(-1), status);
        QCOMPARE(o.str().empty(), out.isEmpty());
        QVERIFY2(o.str().find(out.toStdString()) == 0, o.str().c_str());
        QCOMPARE(e.str().empty(), err.isEmpty());
        QVERIFY2(e.str().find(err.toStdString()) == 0, e.str().c_str());
        if (status == 2) {
            QVERIFY(e.str().find("Uso: orvel") != std::string::npos); // with the usage
        }
    }
};

QTEST_APPLESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
