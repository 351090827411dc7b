#include "workbook/formula/topo_sort.h"

#include <algorithm>
#include <span>
#include <utility>

#include "base/text_encoding.h"
#include "workbook/model/cell_reference.h"

namespace xls {

std::u16string TDepRefsItem::GetText() const {
    std::u16string text;
    for (const TEntry& e : Cells) {
        if (!text.empty()) text += u"->";
        text += base::Utf8ToUtf16(std::to_string(e.Cell.Sheet)) + u"!" + ColRowToRefStr(e.Cell.Col, e.Cell.Row);
    }
    return text;
}

namespace {

TCellGraph MakeGraph(const TDepRefsItems& items) {
    TCellGraph g;
    for (int i = 0; i < items.Count(); ++i)
        for (int k = 0; k < items.Items(i).Count(); ++k) g.Cells.push_back(items.Items(i).Items(k));
    std::sort(g.Cells.begin(), g.Cells.end());
    g.Cells.erase(std::unique(g.Cells.begin(), g.Cells.end()), g.Cells.end());
    const auto number = [&g](const TXLSCalcCell& cell) {
        return static_cast<uint32_t>(std::lower_bound(g.Cells.begin(), g.Cells.end(), cell) - g.Cells.begin());
    };
    struct TRef {
        uint32_t From, To;
        bool LookupTable;
        auto operator<=>(const TRef&) const = default;
    };
    std::vector<TRef> refs;
    for (int i = 0; i < items.Count(); ++i) {
        const TDepRefsItem& item = items.Items(i);
        if (item.Count() == 0) continue;
        const uint32_t from = number(item.Items(0));
        for (int k = 1; k < item.Count(); ++k) {
            // A formula that reads its own cell reads its previous value.
            const uint32_t to = number(item.Items(k));
            if (to != from) refs.push_back({from, to, item.IsLookupTable(k)});
        }
    }
    // A cell read both through a lookup table and otherwise is an ordinary reference.
    std::sort(refs.begin(), refs.end());
    refs.erase(std::unique(refs.begin(), refs.end(),
                           [](const TRef& a, const TRef& b) { return a.From == b.From && a.To == b.To; }),
               refs.end());
    g.Start.assign(g.Cells.size() + 1, 0);
    for (const TRef& r : refs) ++g.Start[r.From + 1];
    for (size_t v = 0; v < g.Cells.size(); ++v) g.Start[v + 1] += g.Start[v];
    for (const TRef& r : refs) {
        g.To.push_back(r.To);
        g.LookupTable.push_back(r.LookupTable);
    }
    return g;
}

}  // namespace

// Strongly connected components (Tarjan, without recursion). A component comes out once every
// component it refers to has: Order lists the cells dependencies first, Ends the end of each
// component in Order. Each cell is walked once over all calls of Walk.
class TTopoSort::TComponents {
public:
    explicit TComponents(size_t cells)
        : Index(cells, Unvisited), Low(cells, 0), OnStack(cells, false), PathPos(cells, Unvisited) {}

    // Walks from root, unless an earlier walk reached it, along the references allowed(v, reference)
    // lets through; onBackEdge(path, first) for each reference back to a cell on the walk's path:
    // the cycle is path[first ..].
    template <class Allowed, class BackEdge>
    void Walk(uint32_t root, const TCellGraph& g, Allowed allowed, BackEdge onBackEdge) {
        if (Index[root] != Unvisited) return;
        Enter(root, g);
        while (!Path.empty()) {
            auto& [v, next] = Path.back();
            if (next < g.Start[v + 1]) {
                const uint32_t ref = next++;
                if (!allowed(v, ref)) continue;
                const uint32_t w = g.To[ref];
                if (Index[w] == Unvisited) {
                    Enter(w, g);
                    continue;
                }
                if (PathPos[w] != Unvisited) onBackEdge(std::span<const TStep>(Path), PathPos[w]);
                if (OnStack[w]) Low[v] = std::min(Low[v], Index[w]);
                continue;
            }
            const uint32_t done = v;
            Path.pop_back();
            PathPos[done] = Unvisited;
            if (!Path.empty()) Low[Path.back().Cell] = std::min(Low[Path.back().Cell], Low[done]);
            if (Low[done] != Index[done]) continue;
            uint32_t w = 0;
            do {
                w = Stack.back();
                Stack.pop_back();
                OnStack[w] = false;
                Order.push_back(w);
            } while (w != done);
            Ends.push_back(static_cast<uint32_t>(Order.size()));
        }
    }

    struct TStep {
        uint32_t Cell;
        uint32_t Next;  // the next reference to follow
    };
    std::vector<uint32_t> Order;
    std::vector<uint32_t> Ends;

private:
    static constexpr uint32_t Unvisited = UINT32_MAX;

    void Enter(uint32_t v, const TCellGraph& g) {
        Index[v] = Low[v] = Counter++;
        Stack.push_back(v);
        OnStack[v] = true;
        PathPos[v] = static_cast<uint32_t>(Path.size());
        Path.push_back({v, g.Start[v]});
    }

    std::vector<uint32_t> Index;
    std::vector<uint32_t> Low;
    std::vector<bool> OnStack;
    std::vector<uint32_t> PathPos;
    std::vector<uint32_t> Stack;
    std::vector<TStep> Path;
    uint32_t Counter = 0;
};

bool TTopoSort::SortItems(const TDepRefsItems& items) { return SortGraph(MakeGraph(items)); }

std::vector<TXLSCalcCell> TTopoSort::Sorted() const {
    std::vector<TXLSCalcCell> cells;
    cells.reserve(Order_.size());
    for (auto v = Order_.rbegin(); v != Order_.rend(); ++v) cells.push_back(Graph.Cells[*v]);
    return cells;
}

bool TTopoSort::WalkAcyclic() {
    // Without a loop every component is one cell and comes out when its walk ends: one mark per
    // cell gives the components' order, at a fraction of their bookkeeping.
    enum : uint8_t { Unseen, OnPath, Done };
    const TCellGraph& g = Graph;
    const auto n = static_cast<uint32_t>(g.Cells.size());
    std::vector<uint8_t> mark(n, Unseen);
    std::vector<std::pair<uint32_t, uint32_t>> path;  // cell, next reference to follow
    Order_.reserve(n);
    for (uint32_t root = 0; root < n; ++root) {
        if (mark[root] != Unseen) continue;
        mark[root] = OnPath;
        path.emplace_back(root, g.Start[root]);
        while (!path.empty()) {
            auto& [v, next] = path.back();
            if (next < g.Start[v + 1]) {
                const uint32_t w = g.To[next++];
                if (mark[w] == OnPath) return false;
                if (mark[w] == Unseen) {
                    mark[w] = OnPath;
                    path.emplace_back(w, g.Start[w]);
                }
                continue;
            }
            mark[v] = Done;
            Order_.push_back(v);
            path.pop_back();
        }
    }
    Circular_.assign(n, false);
    return true;
}

bool TTopoSort::SortGraph(TCellGraph graph) {
    Graph = std::move(graph);
    Order_.clear();
    Circular_.clear();
    Cycles_.Clear();
    if (WalkAcyclic()) return true;
    Order_.clear();
    const TCellGraph& g = Graph;
    const auto n = static_cast<uint32_t>(g.Cells.size());

    // Loops over every reference, lookup tables included.
    const auto all = [](uint32_t, uint32_t) { return true; };
    const auto none = [](std::span<const TComponents::TStep>, uint32_t) {};
    TComponents loops(n);
    for (uint32_t v = 0; v < n; ++v) loops.Walk(v, g, all, none);
    std::vector<uint32_t> loopOf(n);
    for (uint32_t c = 0, begin = 0; c < loops.Ends.size(); begin = loops.Ends[c++])
        for (uint32_t i = begin; i < loops.Ends[c]; ++i) loopOf[loops.Order[i]] = c;

    // Inside a loop the other references alone: their loops are the circular references.
    TComponents circles(n);
    const auto inLoop = [&](uint32_t v, uint32_t ref) { return !g.LookupTable[ref] && loopOf[g.To[ref]] == loopOf[v]; };
    size_t cycleCells = 0;
    const auto record = [&](std::span<const TComponents::TStep> path, uint32_t first) {
        const size_t cells = path.size() - first;
        if (Cycles_.Count() >= MaxCycles || cycleCells + cells > MaxCycleCells) return;
        cycleCells += cells;
        TDepRefsItem& cycle = Cycles_.Add();
        for (size_t i = first; i < path.size(); ++i) cycle.Add(g.Cells[path[i].Cell]);
        cycle.Shrink();
    };
    std::vector<uint32_t>& order = Order_;
    std::vector<bool>& circular = Circular_;
    std::vector<uint32_t> roots;
    for (uint32_t c = 0, begin = 0; c < loops.Ends.size(); begin = loops.Ends[c++]) {
        const uint32_t end = loops.Ends[c];
        if (end - begin == 1) {
            order.push_back(loops.Order[begin]);
            circular.push_back(false);
            continue;
        }
        // In cell order, so that a cycle's record starts where the workbook's order meets it first.
        roots.assign(loops.Order.begin() + begin, loops.Order.begin() + end);
        std::sort(roots.begin(), roots.end());
        const size_t from = circles.Order.size();
        const size_t firstEnd = circles.Ends.size();
        for (const uint32_t root : roots) circles.Walk(root, g, inLoop, record);
        for (size_t k = firstEnd, at = from; k < circles.Ends.size(); at = circles.Ends[k++])
            for (size_t i = at; i < circles.Ends[k]; ++i) {
                order.push_back(circles.Order[i]);
                circular.push_back(circles.Ends[k] - at > 1);
            }
    }
    return std::find(circular.begin(), circular.end(), true) == circular.end();
}

}  // namespace xls
