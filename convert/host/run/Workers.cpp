// Workers: forking the workers, the frames on their pipes, dealing tasks
// and burying workers that die.
#include "run/Workers.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>

#include "run/Interrupt.h"
#include "run/Wire.h"

namespace host {

namespace {

// Frames: one byte of kind, four of length (little end first), the bytes.
constexpr char kTask = 'T';      // parent -> worker: indices and news
constexpr char kEnd = 'E';       // parent -> worker: no more tasks
constexpr char kResult = 'R';    // worker -> parent: a result
constexpr char kQuestion = 'Q';  // worker -> parent: place, caption and text
constexpr char kAnswer = 'A';    // parent -> worker: the answer

// How long workers may take to finish the tasks in hand once the run is
// told to end; then they are killed and those tasks dropped.
constexpr auto kEndingGrace = std::chrono::seconds(5);

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

using Clock = std::chrono::steady_clock;

// poll's timeout until the moment given: -1 for none, 0 once it passed.
int waitMilliseconds(Clock::time_point until) {
    if (until == Clock::time_point::max()) return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

// poll over the pipes until the moment given, with the signal mask open
// while it waits (see holdEndingSignals).
int waitFor(std::vector<pollfd>& pipes, Clock::time_point until, const sigset_t& open) {
    int milliseconds = waitMilliseconds(until);
    timespec timeout{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    return ppoll(pipes.data(), pipes.size(), milliseconds < 0 ? nullptr : &timeout, &open);
}

// How often a read that waits asks whether to give up.
constexpr int kReadSliceMilliseconds = 100;

// Reads all of size bytes; false at the end of the pipe, or when giveUp
// (asked while the read waits) says so: a worker stopped in the middle of
// a frame. Without giveUp the read waits as long as it takes. The parent's
// ends of the workers' pipes do not block: what is there is read at once,
// and only a read that would wait polls.
bool readAll(int fd, char* data, size_t size, const std::function<bool()>* giveUp) {
    while (size > 0) {
        ssize_t got = read(fd, data, size);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd ready{fd, POLLIN, 0};
            int polled = poll(&ready, 1, giveUp != nullptr ? kReadSliceMilliseconds : -1);
            if (polled < 0 && errno != EINTR) return false;
            if (polled <= 0 && giveUp != nullptr && (*giveUp)()) return false;
            continue;
        }
        if (got <= 0) return false;
        data += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

// The head and the body go in one write: the reader, woken by a head
// alone, would find no body yet and wait for it a second time.
bool sendFrame(int fd, char kind, const std::string& body) {
    uint32_t size = static_cast<uint32_t>(body.size());
    char head[5] = {kind, static_cast<char>(size & 0xFF), static_cast<char>((size >> 8) & 0xFF),
                    static_cast<char>((size >> 16) & 0xFF), static_cast<char>(size >> 24)};
    std::string frame;
    frame.reserve(sizeof head + body.size());
    frame.append(head, sizeof head).append(body);
    return writeAll(fd, frame.data(), frame.size());
}

bool receiveFrame(int fd, char& kind, std::string& body,
                  const std::function<bool()>* giveUp = nullptr) {
    unsigned char head[5];
    if (!readAll(fd, reinterpret_cast<char*>(head), sizeof head, giveUp)) return false;
    kind = static_cast<char>(head[0]);
    uint32_t size = head[1] | (head[2] << 8) | (head[3] << 16) | (static_cast<uint32_t>(head[4]) << 24);
    body.resize(size);
    return readAll(fd, &body[0], size, giveUp);
}

}  // namespace

WorkerPool::WorkerPool(int workers, Task workerTask, Ask asker, Hear hearer)
    : count(workers < 1 ? 1 : workers),
      task(std::move(workerTask)),
      ask(std::move(asker)),
      hear(std::move(hearer)) {}

void WorkerPool::tell(std::string news) {
    if (count > 1 && !news.empty()) told.push_back(std::move(news));
}

WorkerPool::~WorkerPool() {
    for (Worker& worker : workers) finish(worker);
}

bool WorkerPool::run(const std::vector<size_t>& indices, const Done& done,
                     const std::function<bool()>& stop, std::string& reason, const More& more) {
    std::deque<size_t> todo(indices.begin(), indices.end());
    auto refill = [&](bool idle) {
        if (!more || !todo.empty()) return;
        for (size_t index : more(idle)) todo.push_back(index);
    };
    if (count == 1) {
        // In the parent itself: its questions are its own.
        Relay relay = [this](const std::string& place, const std::string& caption,
                             const std::string& text) { return ask(0, place, caption, text); };
        for (refill(true); !todo.empty() && !stop(); refill(true)) {
            size_t index = todo.front();
            todo.pop_front();
            done(index, task(index, relay), false);
        }
        return true;
    }
    // A worker that dies must not take the parent with it on its next write.
    if (stop()) return true;
    signal(SIGPIPE, SIG_IGN);
    refill(true);
    // No more workers than tasks: a small tree on a large machine (unless
    // more tasks may come).
    workers.assign(more ? static_cast<size_t>(count)
                        : std::min(static_cast<size_t>(count), todo.size()),
                   Worker());
    for (Worker& worker : workers) {
        if (!start(worker, reason)) return false;
    }
    stopping = false;
    killAt = Clock::time_point::max();
    // Asked while a frame is read: past the grace, a worker that stopped in
    // the middle of one is given up.
    std::function<bool()> giveUp = [&] {
        checkStop(stop);
        return stopping && Clock::now() >= killAt;
    };
    reading = &giveUp;
    for (Worker& worker : workers) deal(worker, todo);
    for (;;) {
        // From the check to the wait: a signal that comes in between ends
        // the wait, where it would otherwise wait for a worker's frame (and
        // stopped workers send none).
        sigset_t open = holdEndingSignals();
        checkStop(stop);
        std::vector<pollfd> waiting;
        std::vector<Worker*> waited;
        auto wait = [&] {
            for (Worker& worker : workers) {
                if (worker.pending.empty()) continue;
                waiting.push_back(pollfd{worker.fromWorker, POLLIN, 0});
                waited.push_back(&worker);
            }
        };
        wait();
        if (waiting.empty() && !stopping) {
            refill(true);
            for (Worker& worker : workers) deal(worker, todo);
            wait();
        }
        if (waiting.empty()) {
            releaseEndingSignals(open);
            break;
        }
        if (stopping && Clock::now() >= killAt) {
            // A worker that is stopped or stuck does not hold the run.
            for (Worker& worker : workers)
                if (!worker.pending.empty() && worker.pid > 0) kill(worker.pid, SIGKILL);
        }
        int polled = waitFor(waiting, killAt, open);
        int error = errno;
        releaseEndingSignals(open);
        if (polled < 0 && error != EINTR) {
            reason = std::string("cannot wait for the workers: ") + strerror(error);
            return false;
        }
        for (size_t i = 0; i < waited.size(); ++i) {
            Worker& worker = *waited[i];
            if (waiting[i].revents == 0 || worker.pending.empty()) continue;
            if (!take(worker, todo, done, reason)) return false;
            if (!worker.pending.empty() || stopping) continue;
            refill(false);
            deal(worker, todo);
        }
    }
    for (Worker& worker : workers) finish(worker);
    reading = nullptr;
    return true;
}

// Once stop() says so, the workers are told to finish the task in hand
// and end, and given a grace to do it.
void WorkerPool::checkStop(const std::function<bool()>& stop) {
    if (stopping || !stop()) return;
    stopping = true;
    killAt = Clock::now() + kEndingGrace;
    for (Worker& worker : workers)
        if (!worker.pending.empty()) worker.ending = sendFrame(worker.toWorker, kEnd, "");
}

// Deals the next tasks to an idle worker: a few at a time, fewer as the
// end comes near, so that the workers end together.
void WorkerPool::deal(Worker& worker, std::deque<size_t>& todo) {
    size_t batch = std::min<size_t>(kMaxBatch, std::max<size_t>(1, todo.size() / (workers.size() * 4)));
    std::vector<std::string> dealt;
    for (size_t i = 0; i < batch && !todo.empty(); ++i) {
        worker.pending.push_back(todo.front());
        dealt.push_back(std::to_string(todo.front()));
        todo.pop_front();
    }
    if (dealt.empty()) return;
    Writer frame;
    frame.texts(dealt).number(static_cast<long long>(toldFrom + told.size() - worker.heard));
    for (size_t at = worker.heard - toldFrom; at < told.size(); ++at) frame.text(told[at]);
    worker.heard = toldFrom + told.size();
    forgetHeard();
    // A worker that is gone shows it when its pipe is read.
    sendFrame(worker.toWorker, kTask, frame.done());
}

void WorkerPool::forgetHeard() {
    size_t heardByAll = toldFrom + told.size();
    for (const Worker& worker : workers) heardByAll = std::min(heardByAll, worker.heard);
    told.erase(told.begin(), told.begin() + static_cast<std::ptrdiff_t>(heardByAll - toldFrom));
    toldFrom = heardByAll;
}

// One frame from a worker: a result, a question, or its end. false when
// a dead worker cannot be replaced.
bool WorkerPool::take(Worker& worker, std::deque<size_t>& todo, const Done& done,
                      std::string& reason) {
    char kind = 0;
    std::string body;
    if (!receiveFrame(worker.fromWorker, kind, body, reading)) {
        // Past the grace, a worker stopped in the middle of a frame.
        if (stopping && worker.pid > 0) kill(worker.pid, SIGKILL);
        std::string why = bury(worker);
        size_t lost = worker.pending.front();
        worker.pending.pop_front();
        // Once the run ends, a worker's death only drops its tasks.
        bool ended = worker.ending || stopping;
        worker.ending = false;
        if (!ended) {
            // The tasks it had not begun go to the others first.
            todo.insert(todo.begin(), worker.pending.begin(), worker.pending.end());
            done(lost, why, true);
        }
        worker.pending.clear();
        return ended || start(worker, reason);
    }
    if (kind == kQuestion) {
        Reader in(body);
        std::string place = in.text();
        std::string caption = in.text();
        std::string text = in.text();
        sendFrame(worker.toWorker, kAnswer,
                  std::to_string(ask(worker.pending.front(), place, caption, text)));
        return true;
    }
    Reader in(body);
    in.number();
    std::string result = in.text();
    size_t index = worker.pending.front();
    worker.pending.pop_front();
    done(index, result, false);
    return true;
}

bool WorkerPool::start(Worker& worker, std::string& reason) {
    int down[2];
    int up[2];
    if (pipe(down) != 0) {
        reason = std::string("cannot start a worker: ") + strerror(errno);
        return false;
    }
    if (pipe(up) != 0) {
        reason = std::string("cannot start a worker: ") + strerror(errno);
        close(down[0]);
        close(down[1]);
        return false;
    }
    fflush(nullptr);
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid < 0) {
        reason = std::string("cannot start a worker: ") + strerror(errno);
        for (int fd : {down[0], down[1], up[0], up[1]}) close(fd);
        return false;
    }
    if (pid == 0) {
        // A worker ends with the run: it never writes for a run that is gone.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(1);
        // The other workers' pipes stay with the parent alone, so that a
        // worker's death reads as the end of its pipe.
        for (Worker& other : workers) {
            if (other.toWorker >= 0) close(other.toWorker);
            if (other.fromWorker >= 0) close(other.fromWorker);
        }
        close(down[1]);
        close(up[0]);
        serve(down[0], up[1]);
        _exit(0);
    }
    close(down[0]);
    close(up[1]);
    fcntl(up[0], F_SETFL, fcntl(up[0], F_GETFL) | O_NONBLOCK);
    worker.pid = pid;
    worker.toWorker = down[1];
    worker.fromWorker = up[0];
    worker.pending.clear();
    worker.ending = false;
    // Forked now, it has all the news so far.
    worker.heard = toldFrom + told.size();
    return true;
}

// The worker's loop: the tasks dealt to it one after the other, each
// result sent as soon as it is there, until the parent says to end or is
// gone. Between two tasks it looks whether the parent said to end.
void WorkerPool::serve(int in, int out) {
    Relay relay = [in, out](const std::string& place, const std::string& caption,
                            const std::string& text) {
        char kind = 0;
        std::string answer;
        if (!sendFrame(out, kQuestion, Writer().text(place).text(caption).text(text).done()) ||
            !receiveFrame(in, kind, answer) || kind != kAnswer)
            return -1;
        return atoi(answer.c_str());
    };
    char kind = 0;
    std::string body;
    while (receiveFrame(in, kind, body) && kind == kTask) {
        Reader frame(body);
        std::vector<std::string> dealt = frame.texts();
        for (const std::string& news : frame.texts())
            if (hear) hear(news);
        for (const std::string& index : dealt) {
            pollfd ended{in, POLLIN, 0};
            if (poll(&ended, 1, 0) > 0) return;
            size_t taskIndex = std::strtoull(index.c_str(), nullptr, 10);
            std::string result = task(taskIndex, relay);
            Writer sent;
            sent.number(static_cast<long long>(taskIndex)).text(result);
            if (!sendFrame(out, kResult, sent.done())) return;
        }
    }
}

// The numbers are forgotten with the pipes: the next pipes may get them,
// and a worker forked later closes the numbers its siblings hold.
void WorkerPool::closePipes(Worker& worker) {
    close(worker.toWorker);
    close(worker.fromWorker);
    worker.toWorker = -1;
    worker.fromWorker = -1;
}

void WorkerPool::finish(Worker& worker) {
    if (worker.pid < 0) return;
    sendFrame(worker.toWorker, kEnd, std::string());
    closePipes(worker);
    // An idle worker of an ended run may be stopped: it is not waited for.
    if (stopping) kill(worker.pid, SIGKILL);
    int status = 0;
    while (waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
    }
    worker.pid = -1;
}

std::string WorkerPool::bury(Worker& worker) {
    closePipes(worker);
    int status = 0;
    pid_t ended = -1;
    do {
        ended = waitpid(worker.pid, &status, 0);
    } while (ended < 0 && errno == EINTR);
    worker.pid = -1;
    if (ended < 0) return "ended unexpectedly";
    if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
    return "exited with " + std::to_string(WEXITSTATUS(status));
}

}  // namespace host
