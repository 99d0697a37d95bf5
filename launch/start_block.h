// The start block a parent menu hands to a child menu: 156 bytes of named
// shared memory, written by the parent and read by the child.
//
//   Offset Size Content
//   0      4    manager value
//   4      4    parent window handle (the parent menu's process id)
//   8      128  menu file path, zero-terminated
//   136    4    mode; 2 = run
//   140    4    root window handle (the parent's root, or the parent itself)
//   144    12   name of the block, zero-terminated
//
// The name is the base name of a temporary file "QLM....TMP" that the parent
// creates in the temporary directory (TMPDIR, else /tmp). The shared memory
// object is "/qelstart-<uid>-<name>", mode 0600, so that only the same user
// reaches it. A child claims its block when it registers with its parent:
// the parent clears the name's first character; forgetting the child puts
// the 'Q' back, deletes the temporary file and unmaps the block.
#pragma once

#include <cstdint>
#include <string>

namespace qel::launch {

inline constexpr size_t kStartBlockSize = 156;
inline constexpr size_t kStartBlockPathSize = 128;
inline constexpr size_t kStartBlockNameSize = 12;
inline constexpr uint32_t kModeRun = 2;

// The fields of a start block, as plain values.
struct StartBlockFields {
  uint32_t manager_value = 0;
  uint32_t parent_window = 0;
  std::string menu_path;  // at most 127 bytes are kept
  uint32_t mode = kModeRun;
  uint32_t root_window = 0;
  std::string name;       // at most 11 bytes are kept
};

// Packs the fields into the 156-byte layout and back.
void EncodeStartBlock(const StartBlockFields& fields, unsigned char* block);
StartBlockFields DecodeStartBlock(const unsigned char* block);

// A mapped start block. Move-only; the destructor unmaps it and, for the
// creating side, also removes the temporary file and the shared memory name.
class StartBlock {
 public:
  StartBlock() = default;
  ~StartBlock();
  StartBlock(StartBlock&& other) noexcept;
  StartBlock& operator=(StartBlock&& other) noexcept;
  StartBlock(const StartBlock&) = delete;
  StartBlock& operator=(const StartBlock&) = delete;

  // Parent side: creates the temporary file and the shared memory, writes
  // `fields` with the new name. False (and an empty block) on failure, with
  // errno set.
  bool Create(StartBlockFields fields);
  // Child side: maps the block named `name`. False on failure.
  bool Open(const std::string& name);

  bool valid() const { return data_ != nullptr; }
  // The name given at creation (still beginning with 'Q' after a claim).
  const std::string& name() const { return name_; }
  StartBlockFields Read() const;
  // True while the first character of the stored name is still 'Q'.
  bool Unclaimed() const;
  // Clears the first character of the stored name; with `remove_name` also
  // removes the shared memory name (when the child has surely mapped it).
  void Claim(bool remove_name = true);
  // Parent side: puts the 'Q' back, deletes the temporary file, unmaps.
  void Forget();

  // The shared memory name and the temporary file for a block name.
  static std::string SharedName(const std::string& name);
  static std::string TempDirectory();

 private:
  void Release();

  unsigned char* data_ = nullptr;
  std::string name_;
  std::string temp_path_;
  bool owner_ = false;
};

}  // namespace qel::launch
