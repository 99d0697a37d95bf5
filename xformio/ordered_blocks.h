// Runs a conversion on every core while keeping it the conversion of one
// core: the calling thread reads blocks of input, worker threads (and the
// calling thread while it waits) convert them in any order, and the calling
// thread writes the results in the order the blocks were read. A write that
// says stop ends the run there: no block read after it is written, so an
// output never holds a record after the first one that failed.
//
// Memory stays bounded whatever the input: only the blocks of the pool are
// ever in flight. With one thread no thread is started and each block is
// read, converted and written in turn on the calling thread.
#ifndef QEL_XFORMIO_ORDERED_BLOCKS_H_
#define QEL_XFORMIO_ORDERED_BLOCKS_H_

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

#include "xformio/qelxformio.h"

namespace qel::xformio {

// Worker threads for one run: QEL_THREADS when it holds a whole number from
// 1 to 256, else the processors this process may run on (at least 1).
QEL_XFORMIO_EXPORT unsigned WorkThreads();

// Blocks a pool needs for `threads` workers: each worker converting one, one
// being written and one being read, and one more per worker queued so that
// no worker waits for the reader.
constexpr std::size_t PoolSize(unsigned threads) { return threads <= 1 ? 1 : 2 * threads + 2; }

// Runs the pipeline over `pool` (at least PoolSize(threads) blocks).
//   read(Block&) -> bool   calling thread; fills the block, false when there
//                          is nothing more to read (the block is unused).
//   work(Block&, unsigned worker) -> void
//                          a worker thread, or the calling thread while it
//                          waits (0 <= worker < threads); must not throw.
//                          Blocks are worked on in any order, each by one
//                          worker, so per-worker scratch may be indexed by
//                          `worker`.
//   write(Block&) -> bool  calling thread, in read order; false stops the
//                          run: blocks read after it are dropped unwritten.
// Returns when every block read has been written or dropped and every
// worker has ended. When no thread can be started it runs on the calling
// thread alone.
template <typename Block, typename Read, typename Work, typename Write>
void RunOrdered(unsigned threads, std::span<Block> pool, Read&& read, Work&& work,
                Write&& write) {
  if (threads > 1 && pool.size() >= 2) {
    std::mutex mutex;
    std::condition_variable queued;  // a block waits for a worker, or stop
    std::condition_variable done;    // a worker finished a block
    std::deque<std::size_t> queue;
    std::vector<char> finished(pool.size(), 0);
    bool stop = false;
    std::vector<std::thread> workers;
    auto worker_loop = [&](unsigned worker) {
      for (;;) {
        std::size_t index;
        {
          std::unique_lock lock(mutex);
          queued.wait(lock, [&] { return stop || !queue.empty(); });
          if (queue.empty()) return;
          index = queue.front();
          queue.pop_front();
        }
        work(pool[index], worker);
        {
          std::lock_guard lock(mutex);
          finished[index] = 1;
        }
        done.notify_all();
      }
    };
    // The calling thread is the last of the `threads`: besides reading and
    // writing it works queued blocks while the oldest one is not finished,
    // so that no more threads than asked for share the cores (one more
    // leaves a core idle whenever the scheduler keeps the reader waiting
    // behind a worker).
    const unsigned own = threads - 1;
    try {
      for (unsigned w = 0; w < own; ++w) workers.emplace_back(worker_loop, w);
    } catch (const std::system_error&) {
      // Fewer workers than asked for still convert everything.
    }
    if (!workers.empty()) {
      std::vector<std::size_t> free;
      for (std::size_t i = pool.size(); i > 0; --i) free.push_back(i - 1);
      std::deque<std::size_t> order;  // blocks read and not yet written
      bool more = true;
      for (;;) {
        while (more && !free.empty()) {
          std::size_t index = free.back();
          if (!read(pool[index])) {
            more = false;
            break;
          }
          free.pop_back();
          order.push_back(index);
          {
            std::lock_guard lock(mutex);
            queue.push_back(index);
          }
          queued.notify_one();
        }
        if (order.empty()) break;
        std::size_t index = order.front();
        {
          std::unique_lock lock(mutex);
          while (finished[index] == 0) {
            if (queue.empty()) {
              done.wait(lock);
              continue;
            }
            std::size_t next = queue.front();
            queue.pop_front();
            lock.unlock();
            work(pool[next], own);
            lock.lock();
            finished[next] = 1;
          }
          finished[index] = 0;
        }
        order.pop_front();
        if (!write(pool[index])) break;
        free.push_back(index);
      }
      {
        std::lock_guard lock(mutex);
        stop = true;
        queue.clear();
      }
      queued.notify_all();
      for (std::thread& t : workers) t.join();
      return;
    }
  }
  Block& block = pool[0];
  while (read(block)) {
    work(block, 0u);
    if (!write(block)) break;
  }
}

}  // namespace qel::xformio

#endif  // QEL_XFORMIO_ORDERED_BLOCKS_H_
