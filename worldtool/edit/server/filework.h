#pragma once

#include "worldtool/edit/server/beast.h"

#include <atomic>
#include <thread>

namespace tovren {

// A thread of its own for the work that waits for files: saves and re-reads may wait seconds for
// a file that another program holds, and the thread that answers requests must never wait so.
// Jobs run one at a time, in the order given: a save's checks and writes are never mixed with
// another's.
class FileWork {
public:
    FileWork() : keep_(boost::asio::make_work_guard(io_)), thread_([this] { io_.run(); }) {}
    FileWork(const FileWork&) = delete;
    FileWork& operator=(const FileWork&) = delete;
    ~FileWork() { finish(); }

    // Runs `job` after those given before it; or, once the work is ending, runs `dropped`.
    template <typename Job, typename Dropped> void post(Job job, Dropped dropped) {
        boost::asio::post(io_,
                          [this, job = std::move(job), dropped = std::move(dropped)]() mutable {
                              if (ending_) {
                                  dropped();
                              } else {
                                  job();
                              }
                          });
    }

    // From now on, jobs not yet begun are dropped; `then` runs once the job in hand is done.
    template <typename Then> void end(Then then) {
        ending_ = true;
        boost::asio::post(io_, std::move(then));
    }

    // Waits for the job in hand, and drops the others.
    void finish() {
        ending_ = true;
        keep_.reset();
        if (thread_.joinable()) {
            thread_.join();
        }
    }

private:
    boost::asio::io_context io_;
    boost::asio::executor_work_guard<boost::asio::io_context::executor_type> keep_;
    std::atomic<bool> ending_{false};
    std::thread thread_;
};

} // namespace tovren
