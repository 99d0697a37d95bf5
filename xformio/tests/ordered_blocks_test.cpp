// The block pipeline keeps the order and the stop of a one-core run whatever
// the number of threads, and keeps only its pool in flight.
#include "xformio/ordered_blocks.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "xformio/progress_meter.h"

namespace qel::xformio {
namespace {

struct Block {
  int number = 0;
  int result = 0;
};

// Reads blocks 0..count-1, squares each on a worker (the odd ones slowly, so
// that they finish out of order) and writes them; a write of `stop_at` stops.
std::vector<int> RunBlocks(unsigned threads, int count, int stop_at, int* most_in_flight) {
  std::vector<Block> pool(PoolSize(threads));
  std::vector<int> written;
  int next = 0;
  int in_flight = 0;
  *most_in_flight = 0;
  RunOrdered(
      threads, std::span<Block>(pool),
      [&](Block& b) {
        if (next == count) return false;
        b.number = next++;
        *most_in_flight = std::max(*most_in_flight, ++in_flight);
        return true;
      },
      [](Block& b, unsigned) {
        if (b.number % 2 == 1) std::this_thread::sleep_for(std::chrono::microseconds(200));
        b.result = b.number * b.number;
      },
      [&](Block& b) {
        --in_flight;
        written.push_back(b.result);
        return b.number != stop_at;
      });
  return written;
}

TEST(OrderedBlocksTest, WritesInReadOrderAndStopsWhereAWriteSaysSoAtAnyThreadCount) {
  for (unsigned threads : {1u, 2u, 7u}) {
    int most = 0;
    std::vector<int> all = RunBlocks(threads, 200, -1, &most);
    ASSERT_EQ(all.size(), 200u) << threads;
    for (int i = 0; i < 200; ++i) EXPECT_EQ(all[static_cast<std::size_t>(i)], i * i);
    EXPECT_LE(most, static_cast<int>(PoolSize(threads)));
    for (int stop : {0, 57, 199}) {
      std::vector<int> part = RunBlocks(threads, 200, stop, &most);
      ASSERT_EQ(part.size(), static_cast<std::size_t>(stop + 1)) << threads << " " << stop;
      EXPECT_EQ(part.back(), stop * stop);
    }
  }
}

TEST(OrderedBlocksTest, ThreadCountComesFromTheEnvironmentWhenItIsAValidNumber) {
  setenv("QEL_THREADS", "3", 1);
  EXPECT_EQ(WorkThreads(), 3u);
  for (const char* bad : {"0", "-2", "x", "4x", "257"}) {
    setenv("QEL_THREADS", bad, 1);
    EXPECT_GE(WorkThreads(), 1u) << bad;
    EXPECT_NE(WorkThreads(), 0u);
  }
  setenv("QEL_THREADS", "257", 1);
  unsigned cores = WorkThreads();
  unsetenv("QEL_THREADS");
  EXPECT_EQ(WorkThreads(), cores);
}

TEST(ProgressMeterTest, LineGroupsDigitsAndLeavesOutAnUnknownPercent) {
  EXPECT_EQ(ProgressMeter::Line(1234567, 45, 2345678.9), "1,234,567 records  45%  2,345,678 records/s");
  EXPECT_EQ(ProgressMeter::Line(999, -1, 0), "999 records  0 records/s");
}

}  // namespace
}  // namespace qel::xformio
