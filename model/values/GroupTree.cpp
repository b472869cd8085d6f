#include "model/values/GroupTree.h"

#include "inifile/IniFile.h"
#include "inifile/ReadFile.h"

#include <QStringList>

#include <algorithm>

namespace kqm52 {

QString GroupTree::fileName(int languageNo) {
    const int n = (languageNo >= 0 && languageNo <= 2) ? languageNo : 0;
    return QStringLiteral("Tree%1.txt").arg(n);
}

bool GroupTree::load(const QString& path, ReadProblem* problem) {
    nodes_.clear();
    QByteArray bytes;
    if (!readFile(path, bytes, problem)) return false;
    loadFromText(IniFile::decode(bytes));
    return true;
}

void GroupTree::loadFromText(const QString& text) {
    nodes_.clear();
    // Last node seen at each level; a new node hangs below the one a level up.
    std::vector<int> lastAtLevel;
    // Children counted per parent, top-level nodes under index 0.
    std::vector<int> childCount(1, 0);

    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        qsizetype depth = 0;
        while (depth < line.size() && (line[depth] == u'\t' || line[depth] == u' '))
            ++depth;
        const QString caption = line.mid(depth).trimmed();
        // Blank lines (a trailing one above all) are not nodes.
        if (caption.isEmpty()) continue;

        // The file is written by hand: a line indented deeper than one level
        // below its predecessor is taken as its child, and the first line is
        // the root however it is indented.
        const int level = int(std::min<qsizetype>(depth, qsizetype(lastAtLevel.size())));

        Node node;
        node.caption = caption;
        node.level = level;
        node.parent = level > 0 ? lastAtLevel[level - 1] : -1;
        int& count = childCount[node.parent + 1];
        node.siblingIndex = count++;

        if (level == 1) {
            node.menuNumber = node.siblingIndex + 1;
        } else if (level == 2) {
            node.menuNumber = nodes_[node.parent].menuNumber;
            node.submenuNumber = node.siblingIndex + 1;
        } else if (level > 2) {
            // Deeper nodes belong to the group of the submenu they lie in.
            node.menuNumber = nodes_[node.parent].menuNumber;
            node.submenuNumber = nodes_[node.parent].submenuNumber;
        }

        const int index = static_cast<int>(nodes_.size());
        nodes_.push_back(node);
        childCount.push_back(0);
        lastAtLevel.resize(level + 1);
        lastAtLevel[level] = index;
    }
}

std::vector<int> GroupTree::children(int node) const {
    std::vector<int> result;
    for (int i = 0; i < static_cast<int>(nodes_.size()); ++i)
        if (nodes_[i].parent == node) result.push_back(i);
    return result;
}

} // namespace kqm52
