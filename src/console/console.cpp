#include "console/console.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <libintl.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace agv::con {

namespace {

// Scripted console.
bool scripted = false;
std::string scriptIn;
size_t scriptPos = 0;
std::string* scriptOut = nullptr;

// Bytes read from standard input and not yet used.
char inbuf[256];
size_t inLen = 0, inPos = 0;

// Terminal settings saved while a key read has the terminal changed.
termios savedTerm;
volatile sig_atomic_t termChanged = 0;

EofHandler eofHandler = defaultEof;

constexpr size_t TOKEN_MAX = 128;  // longest number token accepted
constexpr int COUNT_MAX = 3;       // most numbers read by one prompt

void write1(const char* p, size_t n) {
  if (scripted) {
    if (scriptOut) scriptOut->append(p, n);
    return;
  }
  std::fwrite(p, 1, n, stdout);
  std::fflush(stdout);
}

// Fills the input buffer from standard input; false at end of input.
bool fill() {
  for (;;) {
    ssize_t r = read(0, inbuf, sizeof inbuf);
    if (r > 0) {
      inLen = static_cast<size_t>(r);
      inPos = 0;
      return true;
    }
    if (r < 0 && errno == EINTR) continue;
    return false;
  }
}

// Next input byte, or -1 at end of input.
int nextbyte() {
  if (scripted) {
    if (scriptPos < scriptIn.size()) return static_cast<unsigned char>(scriptIn[scriptPos++]);
    return -1;
  }
  if (inPos == inLen && !fill()) return -1;
  return static_cast<unsigned char>(inbuf[inPos++]);
}

[[noreturn]] void endOfInput() {
  eofHandler();
  // A handler that returns leaves the program nothing to read.
  defaultEof();
}

void signalRestore(int sig) {
  restoreTerminal();
  signal(sig, SIG_DFL);
  raise(sig);
}

bool isspaceByte(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Skips white space (line ends included) and reads one token.  Returns
// false at end of input before any token; sets tooLong when the token
// did not fit (its rest is consumed).
bool token(char* buf, size_t& n, bool& tooLong, bool& lineDone) {
  int c;
  do {
    c = nextbyte();
    if (c < 0) return false;
  } while (isspaceByte(c));
  n = 0;
  tooLong = false;
  while (c >= 0 && !isspaceByte(c)) {
    if (n < TOKEN_MAX)
      buf[n++] = static_cast<char>(c);
    else
      tooLong = true;
    c = nextbyte();
  }
  buf[n] = '\0';
  lineDone = (c < 0 || c == '\n');
  return true;
}

// Discards the rest of the current line.
void skipline(bool lineDone) {
  if (lineDone) return;
  int c;
  do c = nextbyte();
  while (c >= 0 && c != '\n');
}

// Refuses what was read: the rest of its line is dropped and the message
// says what is wanted.
void refuse(bool lineDone, const char* msg) {
  skipline(lineDone);
  out("%s", tr(msg));
}

constexpr const char* notNumber =
    text("\n入力が有限の数値ではありません．数値を入力し直してください");
constexpr const char* notWhole = text("\n入力が整数ではありません．整数を入力し直してください");

// The catalog's domain, and whether its English texts are in force.
constexpr char kDomain[] = "agvsim";
bool english = false;

}  // namespace

bool language(Lang l, const std::string& localedir) {
  english = false;
  if (l == Lang::Ja) return true;
  // The catalog is chosen by LANGUAGE, which gettext reads unless the messages' locale is "C";
  // C.UTF-8 is not, and is in every glibc.
  if (std::setlocale(LC_MESSAGES, "C.UTF-8") == nullptr) return false;
  setenv("LANGUAGE", "en", 1);
  if (bindtextdomain(kDomain, localedir.c_str()) == nullptr ||
      bind_textdomain_codeset(kDomain, "UTF-8") == nullptr)
    return false;
  // A text the catalog must translate tells whether it was found.
  english = dgettext(kDomain, notNumber) != notNumber;
  return english;
}

const char* tr(const char* msgid) { return english ? dgettext(kDomain, msgid) : msgid; }

void out(const char* fmt, ...) {
  char buf[1024];
  va_list ap;
  va_start(ap, fmt);
  int n = std::vsnprintf(buf, sizeof buf, tr(fmt), ap);
  va_end(ap);
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof buf) {
    write1(buf, static_cast<size_t>(n));
    return;
  }
  // Very large numbers printed with a fixed format can be long.
  std::string big(static_cast<size_t>(n) + 1, '\0');
  va_start(ap, fmt);
  std::vsnprintf(big.data(), big.size(), fmt, ap);
  va_end(ap);
  write1(big.data(), static_cast<size_t>(n));
}

char key() {
  int c;
  if (!scripted && inPos == inLen && isatty(0)) {
    // One key without echo and without waiting for the line end.
    termios raw;
    if (tcgetattr(0, &savedTerm) == 0) {
      raw = savedTerm;
      raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
      raw.c_cc[VMIN] = 1;
      raw.c_cc[VTIME] = 0;
      termChanged = 1;
      tcsetattr(0, TCSANOW, &raw);
      c = nextbyte();
      restoreTerminal();
    } else {
      c = nextbyte();
    }
  } else {
    c = nextbyte();
  }
  if (c < 0) endOfInput();
  return static_cast<char>(c);
}

bool readDoubles(int count, double* v) {
  double got[COUNT_MAX];
  char buf[TOKEN_MAX + 1];
  bool lineDone = false;
  for (int i = 0; i < count && i < COUNT_MAX; ++i) {
    size_t n;
    bool tooLong;
    if (!token(buf, n, tooLong, lineDone)) endOfInput();
    char* end = nullptr;
    double d = std::strtod(buf, &end);
    if (tooLong || n == 0 || end != buf + n || !std::isfinite(d)) {
      refuse(lineDone, notNumber);
      return false;
    }
    got[i] = d;
  }
  skipline(lineDone);
  for (int i = 0; i < count && i < COUNT_MAX; ++i) v[i] = got[i];
  return true;
}

bool readInt(int& v) {
  char buf[TOKEN_MAX + 1];
  size_t len;
  bool tooLong, lineDone;
  if (!token(buf, len, tooLong, lineDone)) endOfInput();
  char* end = nullptr;
  errno = 0;
  long n = std::strtol(buf, &end, 10);
  if (tooLong || len == 0 || end != buf + len || errno == ERANGE || n < INT_MIN || n > INT_MAX) {
    refuse(lineDone, notWhole);
    return false;
  }
  skipline(lineDone);
  v = static_cast<int>(n);
  return true;
}

void onEof(EofHandler h) { eofHandler = h ? h : defaultEof; }

void defaultEof() {
  out("\n\n入力が終わりました．プログラムを終了します\n");
  std::exit(2);
}

void script(const std::string& input, std::string* output) {
  scripted = true;
  scriptIn = input;
  scriptPos = 0;
  scriptOut = output;
}

void scriptEnd() {
  scripted = false;
  scriptIn.clear();
  scriptPos = 0;
  scriptOut = nullptr;
}

void restoreTerminal() {
  if (termChanged) {
    tcsetattr(0, TCSANOW, &savedTerm);
    termChanged = 0;
  }
}

void installTerminalGuard() {
  std::atexit(restoreTerminal);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) signal(sig, signalRestore);
}

}  // namespace agv::con
