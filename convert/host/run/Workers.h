// Workers: a pool of worker processes that each run tasks of the run, one
// at a time, for the parent: the plug-in holds one converter per process,
// so the run uses every core through processes. The parent deals out the
// tasks in order, hands each result back as it comes, answers the
// questions a task asks, passes on to every worker what it is told
// (news: what one worker's task learned that the others' tasks can use),
// and replaces a worker that dies (its task is reported as lost). With
// one worker the tasks run in the parent itself.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace host {

class WorkerPool {
public:
    // A question (the PATH:LINE that asks it, caption, text) put to the
    // parent; its answer, or -1 when the parent is gone.
    using Relay = std::function<int(const std::string& place, const std::string& caption,
                                    const std::string& text)>;
    // Runs in a worker: the result of task index, packed; its questions go
    // through relay.
    using Task = std::function<std::string(size_t index, const Relay& relay)>;
    // Runs in the parent, once per task: its result, or why it is lost
    // (lost true: the worker died while it ran, "killed by signal 9").
    using Done = std::function<void(size_t index, const std::string& result, bool lost)>;
    // Runs in the parent: the answer to a question a task asks (place,
    // caption, text), given the index of the task that asks.
    using Ask = std::function<int(size_t index, const std::string& place,
                                  const std::string& caption, const std::string& text)>;

    // Runs in a worker before the tasks dealt with it: one piece of news
    // the parent was told (tell()), in the order told.
    using Hear = std::function<void(const std::string& news)>;

    WorkerPool(int workers, Task task, Ask ask, Hear hear = nullptr);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Runs in the parent whenever every task given so far is dealt: the
    // tasks to run next (none: the run ends once the tasks dealt are
    // done); idle says that no task is still running.
    using More = std::function<std::vector<size_t>(bool idle)>;

    // Runs the tasks of indices, in this order, and those that more gives,
    // until all are done or stop() says to deal no more; then the workers
    // end. false with a reason when no worker could be started.
    bool run(const std::vector<size_t>& indices, const Done& done,
             const std::function<bool()>& stop, std::string& reason,
             const More& more = nullptr);

    // In the parent (from done): news for every worker, sent with the
    // next tasks dealt to each. A worker forked later is not told the news
    // before its fork: what it must know has to be the parent's own.
    void tell(std::string news);

private:
    struct Worker {
        pid_t pid = -1;
        int toWorker = -1;
        int fromWorker = -1;
        // The tasks dealt to it and not done, the one in hand first.
        std::deque<size_t> pending;
        bool ending = false;  // told to end after the task in hand
        size_t heard = 0;     // the news before this number is sent to it
    };
    // Tasks dealt at a time: fewer round trips to the workers for the many
    // small tasks (copies) of a tree.
    static constexpr size_t kMaxBatch = 32;
    int count;
    Task task;
    Ask ask;
    Hear hear;
    // The news of the run, in order, from number toldFrom on: what every
    // worker has heard is dropped.
    std::vector<std::string> told;
    size_t toldFrom = 0;
    std::vector<Worker> workers;
    // The run was told to end: no task is dealt, no worker replaced.
    bool stopping = false;
    // When the workers of a run told to end are killed.
    std::chrono::steady_clock::time_point killAt = std::chrono::steady_clock::time_point::max();
    // While run() runs: whether a read from a worker gives up.
    const std::function<bool()>* reading = nullptr;

    void checkStop(const std::function<bool()>& stop);
    bool start(Worker& worker, std::string& reason);
    void deal(Worker& worker, std::deque<size_t>& todo);
    void forgetHeard();
    bool take(Worker& worker, std::deque<size_t>& todo, const Done& done, std::string& reason);
    void serve(int in, int out);
    void closePipes(Worker& worker);
    void finish(Worker& worker);
    // The worker's death as words: "killed by signal 9", "exited with 3".
    std::string bury(Worker& worker);
};

}  // namespace host
