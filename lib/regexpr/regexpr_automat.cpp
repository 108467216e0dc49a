// The matching automaton: connecting the parse tree's states and flattening
// them (matching layer).
#include "regexpr_automat.h"

#include <algorithm>
#include <bit>

namespace kelmo::regexpr {

namespace {

// The entries of an alternative's items from the first onward, up to and
// including the first item that cannot be skipped.
void ConnectToStart(TleRegExprState& from, const TleRegExprParserAlt& alt) {
  for (int i = 0; i < alt.Count(); ++i) {
    from.Connect(alt.Item(i).Entry());
    if (!IsSkippable(alt.Item(i))) break;
  }
}

void ConnectAlternative(TleRegExprParserAlt& alt);

void ConnectGroup(TleRegExprParserBlockItem& group) {
  TleRegExprParserAlts& alts = group.Alts();
  if (group.CanRepeat()) group.ExitState().Connect(&group.EntryState());
  for (int a = 0; a < alts.Count(); ++a) ConnectToStart(group.EntryState(), alts.Alt(a));
  if (alts.HasMissableAlt()) group.EntryState().Connect(&group.ExitState());
  for (int a = 0; a < alts.Count(); ++a) ConnectAlternative(alts.Alt(a));
  for (int a = 0; a < alts.Count(); ++a) {
    const TleRegExprParserAlt& alt = alts.Alt(a);
    for (int i = alt.Count() - 1; i >= 0; --i) {
      alt.Item(i).Exit()->Connect(&group.ExitState());
      if (!IsSkippable(alt.Item(i))) break;
    }
  }
}

void ConnectAlternative(TleRegExprParserAlt& alt) {
  for (int i = 0; i < alt.Count(); ++i) {
    TleRegExprParserItem& item = alt.Item(i);
    for (int j = i + 1; j < alt.Count(); ++j) {
      item.Exit()->Connect(alt.Item(j).Entry());
      if (!IsSkippable(alt.Item(j))) break;
    }
    if (auto* group = dynamic_cast<TleRegExprParserBlockItem*>(&item))
      ConnectGroup(*group);
    else if (item.CanRepeat())
      item.Entry()->Connect(item.Entry());
  }
}

// Numbers every state of the tree: simple states after the start state in
// tree order, block states apart.
void CollectStates(const TleRegExprParserAlts& alts, std::vector<TleRegExprSimpleState*>& simple,
                   std::vector<TleRegExprBlockState*>& blocks) {
  for (int a = 0; a < alts.Count(); ++a) {
    const TleRegExprParserAlt& alt = alts.Alt(a);
    for (int i = 0; i < alt.Count(); ++i) {
      TleRegExprParserItem& item = alt.Item(i);
      if (auto* group = dynamic_cast<TleRegExprParserBlockItem*>(&item)) {
        group->EntryState().index = static_cast<int>(blocks.size());
        blocks.push_back(&group->EntryState());
        group->ExitState().index = static_cast<int>(blocks.size());
        blocks.push_back(&group->ExitState());
        CollectStates(group->Alts(), simple, blocks);
      } else {
        auto& state = static_cast<TleRegExprParserSimpleItem&>(item).State();
        state.index = static_cast<int>(simple.size());
        simple.push_back(&state);
      }
    }
  }
}

// For each block state, the simple states it passes a character on to,
// pass-through chains followed: row b of the result (words words a row).
// Block states may form cycles (a starred group whose alternatives match
// empty, as «(a?){1,}» makes), so the closures are taken over the strongly
// connected components (Tarjan's algorithm, without recursion).
std::vector<std::uint64_t> BlockClosures(const std::vector<TleRegExprBlockState*>& blocks,
                                         size_t words) {
  const size_t n = blocks.size();
  std::vector<int> component(n, -1), low(n, 0), order(n, -1);
  std::vector<int> stack;  // Tarjan's stack of visited nodes
  std::vector<bool> onStack(n, false);
  std::vector<int> emitted;     // nodes in the order their component closed
  std::vector<size_t> firstOf;  // start of each component in emitted
  struct Frame {
    int node;
    size_t edge;
  };
  std::vector<Frame> frames;
  int counter = 0;
  for (size_t root = 0; root < n; ++root) {
    if (order[root] >= 0) continue;
    frames.push_back({static_cast<int>(root), 0});
    order[root] = low[root] = counter++;
    stack.push_back(static_cast<int>(root));
    onStack[root] = true;
    while (!frames.empty()) {
      Frame& f = frames.back();
      const auto v = static_cast<size_t>(f.node);
      const auto& out = blocks[v]->Transitions();
      if (f.edge < out.size()) {
        const TleRegExprState* target = out[f.edge++];
        if (!target->IsBlock()) continue;
        const auto t = static_cast<size_t>(target->index);
        if (order[t] < 0) {
          order[t] = low[t] = counter++;
          stack.push_back(static_cast<int>(t));
          onStack[t] = true;
          frames.push_back({static_cast<int>(t), 0});
        } else if (onStack[t]) {
          low[v] = std::min(low[v], order[t]);
        }
        continue;
      }
      frames.pop_back();
      if (!frames.empty()) {
        const auto parent = static_cast<size_t>(frames.back().node);
        low[parent] = std::min(low[parent], low[v]);
      }
      if (low[v] == order[v]) {
        const auto c = static_cast<int>(firstOf.size());
        firstOf.push_back(emitted.size());
        int w;
        do {
          w = stack.back();
          stack.pop_back();
          onStack[static_cast<size_t>(w)] = false;
          component[static_cast<size_t>(w)] = c;
          emitted.push_back(w);
        } while (static_cast<size_t>(w) != v);
      }
    }
  }
  firstOf.push_back(emitted.size());
  // Components come out sinks first, so every successor component is done
  // before the one that reaches it.
  const size_t components = firstOf.size() - 1;
  std::vector<std::uint64_t> closure(components * words, 0);
  for (size_t c = 0; c < components; ++c) {
    std::uint64_t* row = &closure[c * words];
    for (size_t k = firstOf[c]; k < firstOf[c + 1]; ++k) {
      for (const TleRegExprState* target : blocks[static_cast<size_t>(emitted[k])]->Transitions()) {
        const auto t = static_cast<size_t>(target->index);
        if (!target->IsBlock()) {
          row[t / 64] |= std::uint64_t{1} << (t % 64);
        } else if (const auto tc = static_cast<size_t>(component[t]); tc != c) {
          for (size_t w = 0; w < words; ++w) row[w] |= closure[tc * words + w];
        }
      }
    }
  }
  std::vector<std::uint64_t> result(n * words);
  for (size_t b = 0; b < n; ++b)
    std::copy_n(&closure[static_cast<size_t>(component[b]) * words], words, &result[b * words]);
  return result;
}

}  // namespace

TleRegExprAutomat::TleRegExprAutomat(std::unique_ptr<TleRegExprParserAlts> tree)
    : tree_(std::move(tree)), start_(nullptr) {
  for (int a = 0; a < tree_->Count(); ++a) ConnectAlternative(tree_->Alt(a));
  for (int a = 0; a < tree_->Count(); ++a) MarkAlternativeFinal(tree_->Alt(a));
  for (int a = 0; a < tree_->Count(); ++a) ConnectToStart(start_, tree_->Alt(a));
  // The empty text is accepted when some alternative can be skipped whole.
  start_.final = tree_->HasMissableAlt();

  std::vector<TleRegExprSimpleState*> simple{&start_};
  std::vector<TleRegExprBlockState*> blocks;
  start_.index = 0;
  CollectStates(*tree_, simple, blocks);
  const size_t words = (simple.size() + 63) / 64;
  const auto closures = BlockClosures(blocks, words);

  std::vector<std::uint64_t> follow(simple.size() * words, 0);
  for (size_t s = 0; s < simple.size(); ++s) {
    std::uint64_t* row = &follow[s * words];
    for (const TleRegExprState* target : simple[s]->Transitions()) {
      if (target->IsBlock()) {
        const std::uint64_t* c = &closures[static_cast<size_t>(target->index) * words];
        for (size_t k = 0; k < words; ++k) row[k] |= c[k];
      } else {
        row[static_cast<size_t>(target->index) / 64] |= std::uint64_t{1} << (target->index % 64);
      }
    }
  }
  std::vector<const TleRegExprSimpleState*> constStates(simple.begin(), simple.end());
  program_ = std::make_shared<const TleRegExprProgram>(constStates, std::move(follow));
  run_.emplace(*program_);
}

TleRegExprAutomat::~TleRegExprAutomat() = default;

}  // namespace kelmo::regexpr
