// Align: Myers' greedy algorithm with the frontier of every step kept, so
// that the path can be walked back. The common head and tail are matched
// first and cost nothing.
#include "layout/Align.h"

#include <algorithm>

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

// The longest common subsequence of a[0..n) and b[0..m), offset by
// (aFrom, bFrom), into window; false past the limit.
bool alignWindow(const int* a, long n, const int* b, long m, size_t limit, size_t aFrom,
                 size_t bFrom, Matches& window) {
    Frontiers frontiers;
    if (!search(a, n, b, m, limit, frontiers)) return false;
    window.clear();
    walkBack(frontiers, n, m, 0, window);
    for (auto& match : window) {
        match.first += aFrom;
        match.second += bFrom;
    }
    return true;
}

}  // namespace

bool alignSequences(const std::vector<int>& a, const std::vector<int>& b, size_t window,
                    size_t maxDifferences, Matches& matches) {
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
    size_t aEnd = a.size() - tail;
    size_t bEnd = b.size() - tail;
    size_t i = head;
    size_t j = head;
    Matches found;
    while (i < aEnd || j < bEnd) {
        size_t n = std::min(window, aEnd - i);
        size_t m = std::min(window, bEnd - j);
        bool last = i + n == aEnd && j + m == bEnd;
        if (!alignWindow(a.data() + i, static_cast<long>(n), b.data() + j, static_cast<long>(m),
                         maxDifferences, i, j, found))
            return false;
        if (last) {
            matches.insert(matches.end(), found.begin(), found.end());
            break;
        }
        // The end of a window cuts through what follows it: only the
        // matches of its first half stand.
        size_t kept = 0;
        while (kept < found.size() && found[kept].first < i + window / 2 &&
               found[kept].second < j + window / 2)
            ++kept;
        if (kept == 0) return false;
        matches.insert(matches.end(), found.begin(), found.begin() + static_cast<long>(kept));
        i = found[kept - 1].first + 1;
        j = found[kept - 1].second + 1;
    }
    for (size_t k = tail; k > 0; --k) matches.emplace_back(a.size() - k, b.size() - k);
    return true;
}

}  // namespace host
