#include "params/GroupTree.h"

#include <gtest/gtest.h>

using namespace kqm52;

namespace {

struct Expected {
    const char* caption;
    int level;
    int menu;
    int submenu;
};

void expectTree(const GroupTree& tree, std::initializer_list<Expected> expected) {
    ASSERT_EQ(tree.nodes().size(), expected.size());
    int i = 0;
    for (const Expected& e : expected) {
        const GroupTree::Node& n = tree.nodes()[i++];
        EXPECT_EQ(n.caption, QString::fromUtf8(e.caption)) << i;
        EXPECT_EQ(n.level, e.level) << e.caption;
        EXPECT_EQ(n.menuNumber, e.menu) << e.caption;
        EXPECT_EQ(n.submenuNumber, e.submenu) << e.caption;
        EXPECT_EQ(n.groupId(), e.menu * 100 + e.submenu) << e.caption;
    }
}

} // namespace

TEST(GroupTree, LevelsFromTabsOrBlanksMenusAndSubmenusInFileOrder) {
    GroupTree tree;
    QString error;
    ASSERT_TRUE(tree.load(QStringLiteral(KQM52_TEST_DATA_DIR "/Tree1.txt"), &error));
    expectTree(tree, {
                         {"MX5x", 0, 0, 0},
                         {"Antrieb", 1, 1, 0},
                         {"Richtung", 2, 1, 1},
                         {"Geschwindigkeit", 2, 1, 2},
                         {"Eingänge", 1, 2, 0},   // one blank, Latin-1 file
                         {"Funktion", 2, 2, 1},   // two blanks
                         {"Positionen", 2, 2, 2}, // blank and tab
                         {"Nocken", 3, 2, 2},
                         {"Verirrt", 4, 2, 2}, // six deep after three: one level down
                         {"Service", 1, 3, 0},
                         {"Wartung", 2, 3, 1}, // after a blank line
                     });
    const auto& n = tree.nodes();
    EXPECT_EQ(n[2].parent, 1);
    EXPECT_EQ(n[7].parent, 6);
    EXPECT_EQ(n[8].parent, 7);
    EXPECT_EQ(n[10].parent, 9);
    EXPECT_EQ(tree.children(0), std::vector<int>({1, 4, 9}));
    EXPECT_EQ(tree.children(-1), std::vector<int>({0}));
}

TEST(GroupTree, TwelveMenusAndAFourthSubmenuGiveGroup1204) {
    QString text = "Root\n";
    for (int m = 1; m <= 12; ++m) {
        text += QStringLiteral("\tMenu %1\n").arg(m);
        if (m == 12)
            for (int s = 1; s <= 4; ++s)
                text += QStringLiteral("\t\tSub %1\n").arg(s);
    }
    GroupTree tree;
    tree.loadFromText(text);
    ASSERT_EQ(tree.nodes().size(), 17u);
    EXPECT_EQ(tree.nodes().back().caption, "Sub 4");
    EXPECT_EQ(tree.nodes().back().groupId(), 1204);
    EXPECT_EQ(tree.nodes()[12].groupId(), 1200);
}

TEST(GroupTree, IndentedFirstLineIsStillTheRoot) {
    GroupTree tree;
    tree.loadFromText("\t\tRoot\n\t\t\tNot a menu?\n\tMenu\n");
    expectTree(tree, {{"Root", 0, 0, 0}, {"Not a menu?", 1, 1, 0}, {"Menu", 1, 2, 0}});
}

TEST(GroupTree, EmptyAndMissingFiles) {
    GroupTree tree;
    tree.loadFromText("");
    EXPECT_TRUE(tree.nodes().empty());
    QString error;
    EXPECT_FALSE(tree.load(QStringLiteral(KQM52_TEST_DATA_DIR "/Tree7.txt"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(tree.nodes().empty());
}

TEST(GroupTree, FileByLanguage) {
    EXPECT_EQ(GroupTree::fileName(0), "Tree0.txt");
    EXPECT_EQ(GroupTree::fileName(1), "Tree1.txt");
    EXPECT_EQ(GroupTree::fileName(2), "Tree2.txt");
    EXPECT_EQ(GroupTree::fileName(3), "Tree0.txt");
    EXPECT_EQ(GroupTree::fileName(-1), "Tree0.txt");
}
