// The layer check the build runs, on small trees: every way of spelling an
// include that reaches up or sideways fails the build with the line that
// names it, and the table cannot drift from the folders it describes.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <utility>
#include <vector>

namespace {

// A small tree with the shape of ours: a widget-free link at the bottom, the
// UI core on it, two window folders beside each other, tests on top.
const char* const kTable = R"(set(LAYERS
  "link:"
  "ui:link"
  "shell:ui,link"
  "params:ui,link"
  "setpoints:ui,link"
  "tests/...:*")
set(WIDGET_FREE link)
)";

const std::vector<std::pair<QString, QByteArray>> kBaseTree = {
    {"link/Port.h", "#pragma once\n#include <QString>\n#include <vector>\n"},
    {"link/Port.cpp", "#include \"link/Port.h\"\n#include \"Port.h\"\n"},
    {"ui/Kit.h", "#pragma once\n#include \"link/Port.h\"\n#include <QtWidgets/QWidget>\n"},
    {"shell/Form.h", "#pragma once\n#include <ui/Kit.h>\n"},
    {"params/Edit.h", "#pragma once\n#include \"../ui/Kit.h\"\n"},
    {"setpoints/Setpoint.h", "#pragma once\n#include \"ui/Kit.h\"\n"},
    {"tests/shell/FormTest.cpp", "#include \"shell/Form.h\"\n#include \"params/Edit.h\"\n"},
};

struct Case {
    const char* name;
    // Added to the base tree, or replacing a file of it; an empty content
    // removes the file.
    std::vector<std::pair<QString, QByteArray>> files;
    // The whole table, when the case needs another one.
    const char* table;
    // The problem lines the check prints; none for a tree it accepts.
    QStringList problems;
};

const Case kCases[] = {
    {"the base tree is layered", {}, nullptr, {}},
    {"a quoted include up the tree",
     {{"link/Port.cpp", "#include \"shell/Form.h\"\n"}},
     nullptr,
     {"link/Port.cpp: includes \"shell/Form.h\", which is in shell, but link may only use: "
      "nothing outside itself"}},
    {"an angle-bracket include up the tree",
     {{"link/Port.cpp", "#include <shell/Form.h>\n"}},
     nullptr,
     {"link/Port.cpp: includes <shell/Form.h>, which is in shell, but link may only use: "
      "nothing outside itself"}},
    {"a relative path up the tree",
     {{"ui/Kit.cpp", "#  include \"../shell/Form.h\" // the main window's kit\n"}},
     nullptr,
     {"ui/Kit.cpp: includes \"../shell/Form.h\", which is in shell, but ui may only use: link"}},
    {"a bare name an extra include path would find",
     {{"link/Port.cpp", "#include <Form.h>\n"}},
     nullptr,
     {"link/Port.cpp: includes <Form.h>, which is in shell, but link may only use: nothing "
      "outside itself"}},
    {"a path that climbs out of a folder and back into another",
     {{"params/Edit.cpp", "#include \"ui/../setpoints/Setpoint.h\"\n"}},
     nullptr,
     {"params/Edit.cpp: includes \"ui/../setpoints/Setpoint.h\", which is in setpoints, but "
      "params may only use: ui, link"}},
    {"a window folder reaching sideways",
     {{"setpoints/Setpoint.cpp",
       "#include \"setpoints/Setpoint.h\"\n#include \"params/Edit.h\"\n"}},
     nullptr,
     {"setpoints/Setpoint.cpp: includes \"params/Edit.h\", which is in params, but setpoints may "
      "only use: ui, link"}},
    {"an include of a missing header in a folder above still counts",
     {{"ui/Kit.cpp", "#include \"shell/Gone.h\"\n"}},
     nullptr,
     {"ui/Kit.cpp: includes \"shell/Gone.h\", which is in shell, but ui may only use: link"}},
    {"every kind of C++ source is read: .hh .inl .ipp .cxx",
     {{"link/Port.hh", "#pragma once\n#include \"ui/Kit.h\"\n"},
      {"link/Port.inl", "#include <shell/Form.h>\n"},
      {"ui/Kit.ipp", "#include \"params/Edit.h\"\n"},
      {"ui/Kit.cxx", "#include \"Port.hh\"\n#include \"shell/Form.h\"\n"}},
     nullptr,
     {"link/Port.hh: includes \"ui/Kit.h\", which is in ui, but link may only use: nothing "
      "outside itself",
      "link/Port.inl: includes <shell/Form.h>, which is in shell, but link may only use: nothing "
      "outside itself",
      "ui/Kit.ipp: includes \"params/Edit.h\", which is in params, but ui may only use: link",
      "ui/Kit.cxx: includes \"shell/Form.h\", which is in shell, but ui may only use: link"}},
    {"includes that are not code are not read",
     {{"link/Port.cpp", "// #include \"shell/Form.h\"\n/* #include <shell/Form.h> */\n"
                        "const char* s = \"#include <shell/Form.h>\";\n"}},
     nullptr,
     {}},
    {"a widget-free folder reaching a painting module by its folder",
     {{"link/Port.cpp", "#include <QtCore/QString>\n#include <QtGui/QColor>\n"
                        "#include <QtSerialPort/QSerialPortInfo>\n"},
      {"link/Port.h", "#pragma once\n#include <QtWidgets/QWidget>\n"}},
     nullptr,
     {"link/Port.cpp: includes <QtGui/QColor>, but link builds without widgets or painting",
      "link/Port.h: includes <QtWidgets/QWidget>, but link builds without widgets or painting"}},
    {"a folder with sources the table does not know",
     {{"ctl/Main.cpp", "#include \"link/Port.h\"\n"}, {"ctl/Commands.cpp", ""}},
     nullptr,
     {"ctl: a folder with sources that the layer table does not know"}},
    {"a subfolder of a folder whose row covers only itself",
     {{"link/setup/Dialog.cpp", "#include \"ui/Kit.h\"\n"}},
     nullptr,
     {"link/setup: a folder with sources that the layer table does not know"}},
    {"a source at the top of the tree",
     {{"main.cpp", "int main() {}\n"}},
     nullptr,
     {"main.cpp: a source at the top of the tree, outside every folder"}},
    {"build folders and hidden folders are not sources",
     {{"build/CMakeCache.txt", "# cache\n"},
      {"build/shell/moc_Form.cpp", "#include \"link/Port.h\"\n#include \"params/Edit.h\"\n"},
      {".cache/clangd/x.cpp", "#include \"shell/Form.h\"\n"}},
     nullptr,
     {}},
    {"a row for a folder that is gone",
     {{"setpoints/Setpoint.h", ""}},
     nullptr,
     {"the row for setpoints names no folder with sources"}},
    {"rows that name folders without rows, or above them",
     {},
     R"(set(LAYERS "link:ui" "ui:link,tools/model" "shell:ui" "shell:link" "params:ui"
                  "setpoints:ui" "tests/...:*")
set(WIDGET_FREE link))",
     {"two rows for shell", "link may use ui, which is not below it",
      "ui may use tools/model, which has no row",
      "shell/Form.h: includes <ui/Kit.h>, which is in ui, but shell may only use: link"}},
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

// The table lines are reported with the table's path in front; the test
// compares what follows it.
QStringList problemsOf(const QString& output, const QString& tablePath) {
    QStringList problems;
    const QStringList lines = output.split('\n');
    const auto start = std::find_if(lines.begin(), lines.end(), [](const QString& l) {
        return l.trimmed() == QLatin1String("Layering broken:");
    });
    if (start == lines.end()) return problems;
    for (auto it = start + 1; it != lines.end(); ++it) {
        QString line = it->trimmed();
        if (line.isEmpty()) continue;
        if (line.startsWith(tablePath + ": ")) line = line.mid(tablePath.size() + 2);
        problems << line;
    }
    return problems;
}

class LayerCheck : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    void put(const QString& rel, const QByteArray& bytes) {
        const QString path = dir.filePath("tree/" + rel);
        if (bytes.isEmpty()) {
            QFile::remove(path);
            return;
        }
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size())
            << path.toStdString();
    }

    QTemporaryDir dir;
};

TEST_P(LayerCheck, FailsTheBuildOnEveryIncludeAgainstTheTable) {
    const Case& c = GetParam();
    for (const auto& [rel, bytes] : kBaseTree)
        put(rel, bytes);
    for (const auto& [rel, bytes] : c.files)
        put(rel, bytes);
    const QString tablePath = dir.filePath("layers.cmake");
    {
        QFile table(tablePath);
        const QByteArray text = c.table ? QByteArray(c.table) : QByteArray(kTable);
        ASSERT_TRUE(table.open(QIODevice::WriteOnly) && table.write(text) == text.size());
    }

    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(KQM52_CMAKE_COMMAND, {"-DSOURCE_DIR=" + dir.filePath("tree"),
                                      "-DLAYERS_FILE=" + tablePath, "-P", KQM52_CHECK_LAYERS});
    ASSERT_TRUE(check.waitForFinished(60000)) << "the check did not finish";
    const QString output = QString::fromUtf8(check.readAll());

    QStringList got = problemsOf(output, tablePath);
    QStringList want = c.problems;
    got.sort();
    want.sort();
    EXPECT_EQ(got, want) << output.toStdString();
    EXPECT_EQ(check.exitCode() != 0, !want.isEmpty()) << output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Trees, LayerCheck, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             QString name = QString::fromLatin1(info.param.name);
                             name.replace(QRegularExpression("[^A-Za-z0-9]+"), "_");
                             return name.toStdString();
                         });

} // namespace
