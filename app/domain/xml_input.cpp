// Safe opening of package XML files for libxml2's streaming reader.
#include "xml_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

namespace kelmo {
namespace {

// No network, no external DTD, entities left as references (the readers
// refuse them); libxml2's own bounds on depth and text size stay on (no
// XML_PARSE_HUGE).
constexpr int kReaderOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// The file's descriptor: a regular file only, opened without waiting on a
// FIFO or a device. -1 when it cannot be had.
int OpenRegularFile(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int ReadFd(void* context, char* buffer, int len) {
  const int fd = *static_cast<int*>(context);
  for (;;) {
    const ssize_t n = ::read(fd, buffer, static_cast<size_t>(len));
    if (n >= 0) return static_cast<int>(n);
    if (errno != EINTR) return -1;
  }
}

int CloseFd(void* context) {
  int* fd = static_cast<int*>(context);
  ::close(*fd);
  delete fd;
  return 0;
}

}  // namespace

XmlReaderPtr OpenXmlFileReader(const QString& path) {
  auto fd = std::make_unique<int>(OpenRegularFile(path));
  if (*fd < 0) return nullptr;
  // On success the reader owns the descriptor (CloseFd); on failure libxml2
  // has already called CloseFd.
  XmlReaderPtr reader(
      xmlReaderForIO(ReadFd, CloseFd, fd.release(), nullptr, nullptr, kReaderOptions));
  return reader;
}

XmlReaderPtr OpenXmlMemoryReader(const char* data, int size) {
  return XmlReaderPtr(xmlReaderForMemory(data, size, nullptr, nullptr, kReaderOptions));
}

bool DeclaresEntities(xmlTextReader* reader, XmlDocPtr& kept) {
  xmlDoc* doc = xmlTextReaderCurrentDoc(reader);
  if (doc == nullptr) return false;
  if (kept.get() != doc) kept.reset(doc);
  for (const xmlDtd* dtd : {doc->intSubset, doc->extSubset}) {
    if (dtd == nullptr) continue;
    if (dtd->entities != nullptr && xmlHashSize(static_cast<xmlHashTablePtr>(dtd->entities)) > 0)
      return true;
    if (dtd->pentities != nullptr && xmlHashSize(static_cast<xmlHashTablePtr>(dtd->pentities)) > 0)
      return true;
  }
  return false;
}

}  // namespace kelmo
