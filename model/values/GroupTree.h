#pragma once

// The group tree of the parameter editor, read from Tree0.txt .. Tree2.txt.
//
// One node per line; each leading tab or blank puts the node one level
// deeper.  The first line is the root.  Level-1 nodes are the menus, numbered
// 1, 2, 3 ... in file order; level-2 nodes are the submenus of the menu above
// them, numbered 1, 2, 3 ... within it.  A group is identified by
// menu x 100 + submenu (a menu without submenu: submenu 0), which is the
// section of ParNo.txt that lists its rows.

#include "inifile/ReadFile.h"

#include <QString>

#include <vector>

namespace kqm52 {

class GroupTree {
  public:
    struct Node {
        QString caption;
        int level = 0;
        int parent = -1;       // index into nodes(), -1 for a top-level node
        int siblingIndex = 0;  // 0-based position among the parent's children
        int menuNumber = 0;    // 0 for the root
        int submenuNumber = 0; // 0 for the root and for a menu
        int groupId() const { return menuNumber * 100 + submenuNumber; }
    };

    // Tree0.txt, Tree1.txt or Tree2.txt by language number; any other number
    // takes Tree0.txt.
    static QString fileName(int languageNo);

    // Reads a tree file; false with the reason in problem when it cannot be
    // read (the tree is then empty).
    bool load(const QString& path, ReadProblem* problem = nullptr);
    void loadFromText(const QString& text);

    const std::vector<Node>& nodes() const { return nodes_; }
    std::vector<int> children(int node) const; // -1: the top-level nodes

  private:
    std::vector<Node> nodes_;
};

} // namespace kqm52
