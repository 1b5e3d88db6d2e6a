// Align: a longest common subsequence of two sequences of token ids, by
// Myers' O(ND) difference algorithm, over windows that slide along both
// sequences. Meant for sequences that are nearly equal here and there: the
// work and memory of a window grow with the square of its differences, so a
// limit on them makes the alignment give up rather than grow, and the
// windows keep a long file with many small changes cheap.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace host {

// The pairs (i, j) with a[i] == b[j] of a common subsequence, in
// increasing order: the longest one of each window of `window` elements of
// both sequences, of which the first half is kept before the window moves
// on (for sequences no longer than a window, the longest one). false when
// more than maxDifferences elements of a window would have to be inserted
// or deleted.
bool alignSequences(const std::vector<int>& a, const std::vector<int>& b, size_t window,
                    size_t maxDifferences, std::vector<std::pair<size_t, size_t>>& matches);

}  // namespace host
