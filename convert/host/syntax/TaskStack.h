// TaskStack: runs a walk over a syntax tree without recursing on the
// tree's depth. A walk step does its own work at once and hands the work
// that would have been a recursive call to then(); the steps it hands over
// run in that order, each with the steps it hands over in turn, before the
// steps that were pending when it started: the order of a recursive walk,
// with the pending work on the heap instead of the call stack.
#pragma once

#include <tree_sitter/api.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace host {

class TaskStack {
public:
    using Task = std::function<void()>;
    // What a node handed over with thenVisit() is given to.
    using Visit = std::function<void(TSNode)>;

    TaskStack() = default;
    explicit TaskStack(Visit visitNode) : visit(std::move(visitNode)) {}

    // Only inside a task that run() runs.
    void then(Task task) { pending.push_back(Step{std::move(task), TSNode{}}); }
    // The same for the most common step, a node to visit: it needs no
    // closure, so a walk does not allocate one per node.
    void thenVisit(TSNode node) { pending.push_back(Step{Task(), node}); }

    // Runs first and everything it hands over. May be called from a task.
    void run(Task first) {
        size_t base = pending.size();
        pending.push_back(Step{std::move(first), TSNode{}});
        while (pending.size() > base) {
            Step step = std::move(pending.back());
            pending.pop_back();
            // What the step hands over lands above the steps pending before
            // it, in the order handed; reversed, the first runs next.
            size_t handed = pending.size();
            if (step.task) {
                step.task();
            } else {
                visit(step.node);
            }
            std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(handed), pending.end());
        }
    }

private:
    struct Step {
        Task task;    // empty for a node to visit
        TSNode node;
    };
    Visit visit;
    std::vector<Step> pending;
};

}  // namespace host
