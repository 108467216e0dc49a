// Running the .xls reader in a child process under limits (see xls_child.h).
#include "xls_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "workbook_error.h"

// Under AddressSanitizer a process reserves terabytes of address space for
// its shadow memory, so the fuzz build cannot limit the child's.
#if defined(__SANITIZE_ADDRESS__)
#define KELMO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELMO_ADDRESS_SANITIZER 1
#endif
#endif

namespace kelmo::workbook {

namespace {

struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) close(fd);
  }
};

void Limit(int resource, rlim_t soft, rlim_t hard) {
  const rlimit limit{soft, hard};
  setrlimit(resource, &limit);
}

// In the child between fork and exec: only calls that are safe after a fork
// of a process with threads.
[[noreturn]] void StartReader(const char* program, char* const argv[], int answer,
                              const XlsChildLimits& limits) {
  dup2(answer, STDOUT_FILENO);
  const int nothing = open("/dev/null", O_RDWR);
  if (nothing >= 0) {
    dup2(nothing, STDIN_FILENO);
    dup2(nothing, STDERR_FILENO);
  }
  syscall(SYS_close_range, 3u, ~0u, 0u);
#ifndef KELMO_ADDRESS_SANITIZER
  Limit(RLIMIT_AS, static_cast<rlim_t>(limits.memoryBytes),
        static_cast<rlim_t>(limits.memoryBytes));
#endif
  // The soft limit stops the reader with SIGXCPU, told apart from other kills.
  Limit(RLIMIT_CPU, static_cast<rlim_t>(limits.cpuSeconds),
        static_cast<rlim_t>(limits.cpuSeconds) + 1);
  Limit(RLIMIT_FSIZE, 0, 0);
  Limit(RLIMIT_CORE, 0, 0);
  execv(program, argv);
  _exit(127);
}

}  // namespace

std::string XlsReaderProgram() {
  if (const char* set = std::getenv("KELMO_XLS_READER"); set && *set) return set;
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (self.parent_path() / "kelmo-xls-reader").string();
}

std::string RunXlsReader(const std::string& program, const std::string& path,
                         const XlsChildLimits& limits) {
  const auto fail = [&](const std::string& reason) {
    return WorkbookError(path + ": книга .xls не читается (" + reason + ")");
  };
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) throw fail("не удалось начать чтение");
  Descriptor answer{ends[0]}, childEnd{ends[1]};
  std::string programCopy = program, pathCopy = path, separator = "--";
  std::vector<char*> argv = {programCopy.data(), separator.data(), pathCopy.data(), nullptr};
  const pid_t pid = fork();
  if (pid < 0) throw fail("не удалось начать чтение");
  if (pid == 0) StartReader(programCopy.c_str(), argv.data(), childEnd.fd, limits);
  close(childEnd.fd);
  childEnd.fd = -1;

  std::string out;
  bool late = false, tooLong = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits.wallSeconds);
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) {
      late = true;
      break;
    }
    pollfd ready{answer.fd, POLLIN, 0};
    const int polled = poll(&ready, 1, static_cast<int>(std::min<long long>(left, 60000)));
    if (polled < 0 && errno == EINTR) continue;
    if (polled == 0) continue;  // the deadline is checked above
    const ssize_t n = read(answer.fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (out.size() + static_cast<size_t>(n) > limits.answerBytes) {
      tooLong = true;
      break;
    }
    out.append(buffer.data(), static_cast<size_t>(n));
  }
  if (late || tooLong) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (late) throw fail("время чтения истекло");
  if (tooLong) throw fail("ответ чтения слишком велик");
  if (WIFSIGNALED(status)) {
    if (WTERMSIG(status) == SIGXCPU) throw fail("время чтения истекло");
    if (WTERMSIG(status) == SIGKILL) throw fail("чтение остановлено пределом времени или памяти");
    throw fail("чтение прервано, файл повреждён (сигнал " + std::to_string(WTERMSIG(status)) + ")");
  }
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (code == 127) throw fail("программа чтения не запускается: " + program);
  if (code == 3) throw fail("недостаточно памяти");
  if (code != 0) throw fail("чтение прервано, код " + std::to_string(code));
  return out;
}

}  // namespace kelmo::workbook
