// Align: Myers' greedy algorithm with the frontier of every step kept, so
// that the path can be walked back. The common head and tail are matched
// first and cost nothing.
#include "Align.h"

namespace host {

namespace {

using Matches = std::vector<std::pair<size_t, size_t>>;

// The frontier of step d holds, for each diagonal k = x - y in [-d, d] (in
// steps of 2), the furthest x reached.
struct Frontiers {
    std::vector<std::vector<long>> steps;
    long at(size_t d, long k) const {
        return steps[d][static_cast<size_t>(k + static_cast<long>(d))];
    }
};

// Runs the forward search over a[0..n) and b[0..m); false past the limit.
bool search(const int* a, long n, const int* b, long m, size_t limit, Frontiers& frontiers) {
    std::vector<long> previous;
    for (long d = 0; d <= n + m; ++d) {
        if (static_cast<size_t>(d) > limit) return false;
        std::vector<long> current(static_cast<size_t>(2 * d + 1));
        for (long k = -d; k <= d; k += 2) {
            long x = 0;
            if (d == 0) {
                x = 0;
            } else if (k == -d || (k != d && previous[static_cast<size_t>(k - 1 + d - 1)] <
                                                 previous[static_cast<size_t>(k + 1 + d - 1)])) {
                x = previous[static_cast<size_t>(k + 1 + d - 1)];  // down: an insertion
            } else {
                x = previous[static_cast<size_t>(k - 1 + d - 1)] + 1;  // right: a deletion
            }
            long y = x - k;
            while (x < n && y < m && a[x] == b[y]) {
                ++x;
                ++y;
            }
            current[static_cast<size_t>(k + d)] = x;
            if (x >= n && y >= m) {
                frontiers.steps.push_back(std::move(current));
                return true;
            }
        }
        frontiers.steps.push_back(current);
        previous = std::move(current);
    }
    return true;
}

// Walks the frontiers back from (n, m) and adds the diagonal moves, offset
// by the matched head, to matches in increasing order.
void walkBack(const Frontiers& frontiers, long n, long m, size_t offset, Matches& matches) {
    Matches reversed;
    long x = n;
    long y = m;
    for (long d = static_cast<long>(frontiers.steps.size()) - 1; d >= 0; --d) {
        long k = x - y;
        long startX = 0;
        long startY = 0;
        if (d > 0) {
            bool down = k == -d || (k != d && frontiers.at(static_cast<size_t>(d - 1), k - 1) <
                                                  frontiers.at(static_cast<size_t>(d - 1), k + 1));
            long previousK = down ? k + 1 : k - 1;
            long previousX = frontiers.at(static_cast<size_t>(d - 1), previousK);
            startX = down ? previousX : previousX + 1;
            startY = startX - k;
            while (x > startX && y > startY) {
                --x;
                --y;
                reversed.emplace_back(static_cast<size_t>(x) + offset,
                                      static_cast<size_t>(y) + offset);
            }
            x = previousX;
            y = previousX - previousK;
        } else {
            while (x > 0 && y > 0) {
                --x;
                --y;
                reversed.emplace_back(static_cast<size_t>(x) + offset,
                                      static_cast<size_t>(y) + offset);
            }
        }
    }
    matches.insert(matches.end(), reversed.rbegin(), reversed.rend());
}

}  // namespace

bool alignSequences(const std::vector<int>& a, const std::vector<int>& b, size_t maxDifferences,
                    Matches& matches) {
    matches.clear();
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) {
        matches.emplace_back(head, head);
        ++head;
    }
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    long n = static_cast<long>(a.size() - head - tail);
    long m = static_cast<long>(b.size() - head - tail);
    Frontiers frontiers;
    if (!search(a.data() + head, n, b.data() + head, m, maxDifferences, frontiers)) return false;
    walkBack(frontiers, n, m, head, matches);
    for (size_t i = tail; i > 0; --i) matches.emplace_back(a.size() - i, b.size() - i);
    return true;
}

}  // namespace host
