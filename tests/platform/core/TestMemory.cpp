// The process's resident size and giving freed memory back to the system.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "platform/core/Memory.h"

namespace {

constexpr std::size_t MiB = 1024 * 1024;

TEST(MemoryTest, ResidentBytesCountsTouchedPages) {
  const std::size_t before = ResidentBytes();
  ASSERT_GT(before, 0u);
  std::unique_ptr<char[]> block(new char[64 * MiB]);
  std::memset(block.get(), 1, 64 * MiB);
  EXPECT_GE(ResidentBytes(), before + 48 * MiB);
  EXPECT_EQ(block[64 * MiB - 1], 1);
}

// Many small blocks freed by a worker stay with the allocator (below its trimming threshold, in
// the worker's own heap) until they are handed back.
TEST(MemoryTest, FreedSmallBlocksOfAFinishedThreadGoBackToTheSystem) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers' allocators keep freed memory themselves";
#else
  std::size_t held = 0;
  std::thread worker([&] {
    std::vector<std::unique_ptr<char[]>> blocks;
    for (int i = 0; i < 4096; ++i) {
      blocks.emplace_back(new char[32 * 1024]);
      std::memset(blocks.back().get(), 1, 32 * 1024);
    }
    // One block at the top keeps the heap from shrinking by itself when the rest are freed.
    std::unique_ptr<char[]> top(new char[64]);
    blocks.clear();
    held = ResidentBytes();
    ReturnFreedMemory();
    const std::size_t after = ResidentBytes();
    EXPECT_LE(after + 64 * MiB, held) << "held " << held / MiB << " MiB, after " << after / MiB << " MiB";
  });
  worker.join();
#endif
}

// A worker that freed one very large block and then works with large ones: once the limits are
// fixed, what it frees goes back to the system at once. Left alone, the allocator would take the
// very large block as the size worth keeping and hold the later blocks in the worker's heap.
TEST(MemoryTest, LargeBlocksOfAWorkerGoBackWhenFreed) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers' allocators keep freed memory themselves";
#else
  ReturnLargeBlocksWhenFreed();
  const auto touched = [](std::size_t ASize) {
    std::unique_ptr<char[]> block(new char[ASize]);
    std::memset(block.get(), 1, ASize);
    return block;
  };
  const std::size_t before = ResidentBytes();
  std::size_t held = 0;
  std::thread worker([&] {
    touched(24 * MiB).reset();
    std::vector<std::unique_ptr<char[]>> blocks;
    for (int i = 0; i < 40; ++i) blocks.push_back(touched(MiB));
    blocks.clear();
    held = ResidentBytes();
  });
  worker.join();
  EXPECT_LE(held, before + 16 * MiB) << "before " << before / MiB << " MiB, after " << held / MiB << " MiB";
#endif
}

}  // namespace
