// The group tree file lays out the editor's menu; a broken one must still give
// a tree whose links point inside it.

#include "FuzzInput.h"
#include "model/values/GroupTree.h"

using namespace kqm52;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    GroupTree tree;
    tree.loadFromText(QString::fromLatin1(fuzz::bytes(data, size)));
    const auto& nodes = tree.nodes();
    const int count = int(nodes.size());
    std::size_t reached = 0;
    for (int i = -1; i < count; ++i) {
        const std::vector<int> children = tree.children(i);
        reached += children.size();
        for (int c : children)
            if (c < 0 || c >= count || nodes[std::size_t(c)].parent != i) fuzz::fail();
    }
    for (const auto& n : nodes)
        if (n.parent < -1 || n.parent >= count) fuzz::fail();
    if (reached != nodes.size()) fuzz::fail(); // every node hangs somewhere
    return 0;
}
