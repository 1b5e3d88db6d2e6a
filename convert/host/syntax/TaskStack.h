// TaskStack: runs a walk over a syntax tree without recursing on the
// tree's depth. A walk step does its own work at once and hands the work
// that would have been a recursive call to then(); the steps it hands over
// run in that order, each with the steps it hands over in turn, before the
// steps that were pending when it started: the order of a recursive walk,
// with the pending work on the heap instead of the call stack.
#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace host {

class TaskStack {
public:
    using Task = std::function<void()>;

    // Only inside a task that run() runs.
    void then(Task task) { handed->push_back(std::move(task)); }

    // Runs first and everything it hands over. May be called from a task.
    void run(Task first) {
        std::vector<Task>* outer = handed;
        size_t base = pending.size();
        pending.push_back(std::move(first));
        while (pending.size() > base) {
            Task task = std::move(pending.back());
            pending.pop_back();
            std::vector<Task> next;
            handed = &next;
            task();
            for (auto it = next.rbegin(); it != next.rend(); ++it)
                pending.push_back(std::move(*it));
        }
        handed = outer;
    }

private:
    std::vector<Task> pending;
    std::vector<Task>* handed = nullptr;
};

}  // namespace host
