// Align: the longest common subsequence of two sequences of token ids, by
// Myers' O(ND) difference algorithm. Meant for sequences that are nearly
// equal: the work and memory grow with the square of the differences, so a
// limit on them makes the alignment give up rather than grow.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace host {

// The pairs (i, j) with a[i] == b[j] of one longest common subsequence, in
// increasing order. false when more than maxDifferences elements would have
// to be inserted or deleted.
bool alignSequences(const std::vector<int>& a, const std::vector<int>& b, size_t maxDifferences,
                    std::vector<std::pair<size_t, size_t>>& matches);

}  // namespace host
