#include "model/values/GroupTree.h"

#include "inifile/ReadFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kqm52;

namespace {

struct Expected {
    const char* caption;
    int level;
    int parent;
    int group; // menu * 100 + submenu
};

void expectTree(const GroupTree& tree, std::initializer_list<Expected> expected) {
    ASSERT_EQ(tree.nodes().size(), expected.size());
    int i = 0;
    for (const Expected& e : expected) {
        const GroupTree::Node& n = tree.nodes()[i++];
        EXPECT_EQ(n.caption, QString::fromUtf8(e.caption)) << i;
        EXPECT_EQ(n.level, e.level) << e.caption;
        EXPECT_EQ(n.parent, e.parent) << e.caption;
        EXPECT_EQ(n.groupId(), e.group) << e.caption;
    }
}

} // namespace

TEST(GroupTree, LevelsFromTabsOrBlanksMenusAndSubmenusInFileOrder) {
    GroupTree tree;
    ASSERT_TRUE(tree.load(QStringLiteral(KQM52_TEST_DATA_DIR "/Tree1.txt")));
    expectTree(tree, {
                         {"MX5x", 0, -1, 0},
                         {"Antrieb", 1, 0, 100},
                         {"Richtung", 2, 1, 101},
                         {"Geschwindigkeit", 2, 1, 102},
                         {"Eingänge", 1, 0, 200},   // one blank, Latin-1 file
                         {"Funktion", 2, 4, 201},   // two blanks
                         {"Positionen", 2, 4, 202}, // blank and tab
                         {"Nocken", 3, 6, 202},
                         {"Verirrt", 4, 7, 202}, // six deep after three: one level down
                         {"Service", 1, 0, 300},
                         {"Wartung", 2, 9, 301}, // after a blank line
                     });
    EXPECT_EQ(tree.children(0), std::vector<int>({1, 4, 9}));
    EXPECT_EQ(tree.children(-1), std::vector<int>({0}));
}

TEST(GroupTree, TwelveMenusAFourthSubmenuAndAnIndentedRoot) {
    QString text = "Root\n";
    for (int m = 1; m <= 12; ++m)
        text += QStringLiteral("\tMenu %1\n").arg(m);
    for (int s = 1; s <= 4; ++s)
        text += QStringLiteral("\t\tSub %1\n").arg(s);
    GroupTree tree;
    tree.loadFromText(text);
    ASSERT_EQ(tree.nodes().size(), 17u);
    EXPECT_EQ(tree.nodes()[12].groupId(), 1200);
    EXPECT_EQ(tree.nodes().back().groupId(), 1204);

    tree.loadFromText("\t\tRoot\n\t\t\tNot a menu?\n\tMenu\n");
    expectTree(tree, {{"Root", 0, -1, 0}, {"Not a menu?", 1, 0, 100}, {"Menu", 1, 0, 200}});
}

TEST(GroupTree, FileByLanguageAndMissingFile) {
    EXPECT_EQ(GroupTree::fileName(2), "Tree2.txt");
    EXPECT_EQ(GroupTree::fileName(3), "Tree0.txt");
    EXPECT_EQ(GroupTree::fileName(-1), "Tree0.txt");
    GroupTree tree;
    tree.loadFromText("Root\n\tMenu\n");
    ReadProblem problem;
    EXPECT_FALSE(tree.load(QStringLiteral(KQM52_TEST_DATA_DIR "/Tree7.txt"), &problem));
    EXPECT_EQ(problem.reason.kind, FileReadError::Kind::Missing);
    EXPECT_TRUE(tree.nodes().empty());

    // A file far larger than any tree is not read.
    QTemporaryDir dir;
    QFile big(dir.filePath("Tree0.txt"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.write("Root\n\tMenu\n") > 0);
    ASSERT_TRUE(big.resize(MaxDataFileBytes + 1));
    big.close();
    EXPECT_FALSE(tree.load(big.fileName(), &problem));
    EXPECT_EQ(problem.kind, ReadProblem::Kind::TooLarge);
    EXPECT_EQ(problem.limit, MaxDataFileBytes);
    EXPECT_TRUE(tree.nodes().empty());
}
