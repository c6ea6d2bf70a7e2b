// Regular files over POSIX descriptors. The open never blocks: O_NONBLOCK keeps a FIFO from
// waiting for a writer until fstat has shown what was opened; it is cleared again for the reads.
#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

FileIdentity identityOf(const struct stat& info) {
  FileIdentity identity;
  identity.volume = static_cast<uint64_t>(info.st_dev);
  identity.index = static_cast<uint64_t>(info.st_ino);
  return identity;
}

}  // namespace

bool fileIdentity(const std::string& path, FileIdentity& identity) {
  struct stat info;
  if (path.empty() || stat(path.c_str(), &info) != 0) {
    return false;
  }
  identity = identityOf(info);
  return true;
}

bool RegularFile::open(const std::string& path) {
  close();
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 || fcntl(fd, F_SETFL, 0) != 0) {
    ::close(fd);
    return false;
  }
  handle = fd;
  length = static_cast<uint64_t>(info.st_size);
  id = identityOf(info);
  return true;
}

void RegularFile::release() {
  ::close(static_cast<int>(handle));
}

uint64_t RegularFile::readSome(uint64_t offset, uint8_t* into, uint64_t count) const {
  ssize_t got;
  do {
    got = pread(static_cast<int>(handle), into, static_cast<size_t>(count), static_cast<off_t>(offset));
  } while (got < 0 && errno == EINTR);
  return got > 0 ? static_cast<uint64_t>(got) : 0;
}
