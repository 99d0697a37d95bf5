// The start block in POSIX shared memory. The temporary file only reserves a
// unique name in the temporary directory, as the block's name is taken from it.
#include "launch/start_block.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace qel::launch {

namespace {

void Put32(unsigned char* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(v >> (8 * i));
}

uint32_t Get32(const unsigned char* at) {
  return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

void PutText(unsigned char* at, size_t size, const std::string& text) {
  std::memset(at, 0, size);
  std::memcpy(at, text.data(), std::min(text.size(), size - 1));
}

std::string GetText(const unsigned char* at, size_t size) {
  const void* end = std::memchr(at, 0, size);
  size_t length = end ? static_cast<const unsigned char*>(end) - at : size;
  return std::string(reinterpret_cast<const char*>(at), length);
}

constexpr size_t kNameOffset = 144;

}  // namespace

void EncodeStartBlock(const StartBlockFields& f, unsigned char* block) {
  std::memset(block, 0, kStartBlockSize);
  Put32(block, f.manager_value);
  Put32(block + 4, f.parent_window);
  PutText(block + 8, kStartBlockPathSize, f.menu_path);
  Put32(block + 136, f.mode);
  Put32(block + 140, f.root_window);
  PutText(block + kNameOffset, kStartBlockNameSize, f.name);
}

StartBlockFields DecodeStartBlock(const unsigned char* block) {
  StartBlockFields f;
  f.manager_value = Get32(block);
  f.parent_window = Get32(block + 4);
  f.menu_path = GetText(block + 8, kStartBlockPathSize);
  f.mode = Get32(block + 136);
  f.root_window = Get32(block + 140);
  f.name = GetText(block + kNameOffset, kStartBlockNameSize);
  return f;
}

std::string StartBlock::SharedName(const std::string& name) {
  return "/qelstart-" + std::to_string(::getuid()) + "-" + name;
}

std::string StartBlock::TempDirectory() {
  const char* dir = std::getenv("TMPDIR");
  std::string result = dir && *dir ? dir : "/tmp";
  if (result.back() != '/') result += '/';
  return result;
}

StartBlock::~StartBlock() { Release(); }

StartBlock::StartBlock(StartBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      name_(std::move(other.name_)),
      temp_path_(std::move(other.temp_path_)),
      owner_(std::exchange(other.owner_, false)) {}

StartBlock& StartBlock::operator=(StartBlock&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    name_ = std::move(other.name_);
    temp_path_ = std::move(other.temp_path_);
    owner_ = std::exchange(other.owner_, false);
  }
  return *this;
}

bool StartBlock::Create(StartBlockFields fields) {
  Release();
  // "QLM" and six unique characters: the name fits the block's 12 bytes.
  std::string pattern = TempDirectory() + "QLMXXXXXX.TMP";
  std::vector<char> path(pattern.begin(), pattern.end());
  path.push_back('\0');
  const int temp = ::mkstemps(path.data(), 4);
  if (temp < 0) return false;
  ::close(temp);
  const std::string temp_path(path.data());
  std::string name = temp_path.substr(temp_path.rfind('/') + 1);
  name.resize(name.size() - 4);

  const std::string shared = SharedName(name);
  const int fd = ::shm_open(shared.c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
  if (fd < 0) {
    const int error = errno;
    ::unlink(temp_path.c_str());
    errno = error;
    return false;
  }
  void* map = MAP_FAILED;
  if (::ftruncate(fd, kStartBlockSize) == 0)
    map = ::mmap(nullptr, kStartBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  const int error = errno;
  ::close(fd);
  if (map == MAP_FAILED) {
    ::shm_unlink(shared.c_str());
    ::unlink(temp_path.c_str());
    errno = error;
    return false;
  }
  data_ = static_cast<unsigned char*>(map);
  name_ = name;
  temp_path_ = temp_path;
  owner_ = true;
  fields.name = name;
  EncodeStartBlock(fields, data_);
  return true;
}

bool StartBlock::Open(const std::string& name) {
  Release();
  if (name.empty() || name.size() >= kStartBlockNameSize ||
      name.find('/') != std::string::npos) {
    errno = EINVAL;
    return false;
  }
  const int fd = ::shm_open(SharedName(name).c_str(), O_RDWR | O_NOFOLLOW, 0);
  if (fd < 0) return false;
  // Only a block of this user, of the right size, is accepted.
  struct stat st;
  void* map = MAP_FAILED;
  if (::fstat(fd, &st) == 0 && st.st_uid == ::getuid() &&
      st.st_size == static_cast<off_t>(kStartBlockSize)) {
    map = ::mmap(nullptr, kStartBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  } else {
    errno = EACCES;
  }
  const int error = errno;
  ::close(fd);
  if (map == MAP_FAILED) {
    errno = error;
    return false;
  }
  data_ = static_cast<unsigned char*>(map);
  name_ = name;
  owner_ = false;
  return true;
}

StartBlockFields StartBlock::Read() const {
  return data_ ? DecodeStartBlock(data_) : StartBlockFields{};
}

bool StartBlock::Unclaimed() const { return data_ && data_[kNameOffset] == 'Q'; }

void StartBlock::Claim(bool remove_name) {
  if (!data_) return;
  data_[kNameOffset] = 0;
  if (owner_ && remove_name) ::shm_unlink(SharedName(name_).c_str());
}

void StartBlock::Forget() { Release(); }

void StartBlock::Release() {
  if (!data_) return;
  if (owner_) {
    data_[kNameOffset] = 'Q';
    ::shm_unlink(SharedName(name_).c_str());  // already gone after a claim
    ::unlink(temp_path_.c_str());
  }
  ::munmap(data_, kStartBlockSize);
  data_ = nullptr;
  owner_ = false;
  name_.clear();
}

}  // namespace qel::launch
