#include "platform/profile/ini_document.h"

#include "platform/profile/profile.h"

#include <QStringDecoder>

namespace profile {

namespace {

const QByteArray kUtf16Bom("\xFF\xFE", 2);
const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);

// Only ASCII blanks are dropped: an ideographic space at the end of a Japanese value
// is part of the value.
bool IsBlank(QChar c) {
  return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == u'\r';
}

QString TrimBlanks(QStringView s) {
  qsizetype begin = 0;
  qsizetype end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.sliced(begin, end - begin).toString();
}

// Section and key names lose only the spaces around them, as with the Windows reader: a
// tab belongs to the name.
QString TrimSpaces(QStringView s) {
  qsizetype begin = 0;
  qsizetype end = s.size();
  while (begin < end && s[begin] == u' ') ++begin;
  while (end > begin && s[end - 1] == u' ') --end;
  return s.sliced(begin, end - begin).toString();
}

// Cuts to the longest value a reader's buffer holds, without splitting a surrogate pair.
QString CutValue(QString value) {
  if (value.size() > kMaxValueLength) {
    qsizetype length = kMaxValueLength;
    if (value[length - 1].isHighSurrogate()) --length;
    value.truncate(length);
  }
  return value;
}

QString StripQuotes(const QString& value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
    return value.sliced(1, value.size() - 2);
  return value;
}

// The text stored for a value: a value the reader would change (blanks around it, or a
// pair of quotes around it that the reader takes off) goes in one more pair of quotes,
// so that it reads back as written. Without them, a value read and written back lost
// a pair of quotes or its outer blanks at every write.
QString Stored(const QString& value) {
  if (TrimBlanks(value) != value || StripQuotes(value) != value) return u'"' + value + u'"';
  return value;
}

bool HasLineBreakOrNul(const QString& s) {
  return s.contains(u'\n') || s.contains(u'\r') || s.contains(QChar(0));
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

IniDocument IniDocument::Parse(const QByteArray& bytes) {
  IniDocument doc;
  qsizetype pos = 0;
  qsizetype end = bytes.size();
  qsizetype unit = 1;
  if (bytes.startsWith(kUtf16Bom)) {
    doc.m_encoding = Encoding::Utf16Le;
    pos = kUtf16Bom.size();
    unit = 2;
    // A trailing odd byte is half a character of a truncated file; it is dropped.
    end = pos + (end - pos) / 2 * 2;
  } else if (bytes.startsWith(kUtf8Bom)) {
    doc.m_encoding = Encoding::Utf8WithBom;
    pos = kUtf8Bom.size();
  }

  // One line per LF is room for most files' lines at once.
  doc.m_lines.reserve(static_cast<std::size_t>(bytes.count('\n')) + 1);
  auto isUnit = [&](qsizetype at, char c) {
    return bytes[at] == c && (unit == 1 || bytes[at + 1] == '\0');
  };
  bool sawLineEnd = false;
  qsizetype start = pos;
  for (qsizetype i = pos; i < end; i += unit) {
    // A line ends at LF, at CR LF, or at a CR alone (files from old Macintosh editors).
    const bool lf = isUnit(i, '\n');
    const bool cr = isUnit(i, '\r');
    if (!lf && !cr) continue;
    const bool crlf = cr && i + unit < end && isUnit(i + unit, '\n');
    const qsizetype terminatorEnd = i + (crlf ? 2 * unit : unit);
    if (!sawLineEnd) {
      // The file's own line ending is kept for every line a write adds.
      doc.m_lineEnd = crlf ? LineEnd::CrLf : lf ? LineEnd::Lf : LineEnd::Cr;
      sawLineEnd = true;
    }
    doc.m_lines.push_back(doc.MakeLine(bytes.sliced(start, i - start), bytes.sliced(i, terminatorEnd - i)));
    start = terminatorEnd;
    i = terminatorEnd - unit;
  }
  if (start < end) doc.m_lines.push_back(doc.MakeLine(bytes.sliced(start, end - start), {}));
  return doc;
}

std::optional<QString> IniDocument::Decode(const QByteArray& body) const {
  QString text;
  if (m_encoding == Encoding::Utf16Le) {
    text.reserve(body.size() / 2);
    for (qsizetype i = 0; i + 1 < body.size(); i += 2)
      text.append(QChar(static_cast<char16_t>(static_cast<uchar>(body[i]) | static_cast<uchar>(body[i + 1]) << 8)));
    if (!QStringView(text).isValidUtf16()) return std::nullopt;
  } else {
    // Each line is decoded on its own; a byte-order mark inside the file is a character.
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    text = decoder.decode(body);
    if (decoder.hasError()) return std::nullopt;
  }
  if (text.contains(QChar(0))) return std::nullopt;
  return text;
}

QByteArray IniDocument::Encode(const QString& text) const {
  if (m_encoding != Encoding::Utf16Le) return text.toUtf8();
  QByteArray bytes;
  bytes.reserve(text.size() * 2);
  for (QChar c : text) {
    bytes.append(static_cast<char>(c.unicode() & 0xFF));
    bytes.append(static_cast<char>(c.unicode() >> 8));
  }
  return bytes;
}

IniDocument::Line IniDocument::MakeLine(const QByteArray& body, const QByteArray& terminator) const {
  Line line;
  line.body = body;
  line.terminator = terminator;
  const std::optional<QString> text = Decode(body);
  if (text) {
    line.text = *text;
    qsizetype first = 0;
    while (first < text->size() && text->at(first) == u' ') ++first;
    if (first < text->size() && text->at(first) == u'[') {
      // The last ']' closes the name, as the Windows reader does; a header without one
      // (cut off by a truncated write, or typed so) names the rest of its line.
      qsizetype close = text->lastIndexOf(u']');
      if (close <= first) close = text->size();
      line.kind = Kind::Section;
      line.name = TrimSpaces(QStringView(*text).sliced(first + 1, close - first - 1));
    } else if (first < text->size() && text->at(first) != u';') {
      // A line that starts with '=' is a key with an empty name.
      const qsizetype eq = text->indexOf(u'=', first);
      if (eq >= 0) {
        line.kind = Kind::Key;
        line.name = TrimSpaces(QStringView(*text).sliced(first, eq - first));
        line.valueStart = eq + 1;
      }
    }
  }
  return line;
}

std::optional<std::pair<size_t, size_t>> IniDocument::FindSection(const QString& name) const {
  for (size_t header = 0; header < m_lines.size(); ++header) {
    if (m_lines[header].kind != Kind::Section || !SameName(m_lines[header].name, name)) continue;
    size_t end = header + 1;
    while (end < m_lines.size() && m_lines[end].kind != Kind::Section) ++end;
    return std::make_pair(header, end);
  }
  return std::nullopt;
}

std::optional<size_t> IniDocument::FindKey(size_t begin, size_t end, const QString& key) const {
  for (size_t i = begin + 1; i < end; ++i)
    if (m_lines[i].kind == Kind::Key && SameName(m_lines[i].name, key)) return i;
  return std::nullopt;
}

std::optional<QString> IniDocument::Value(const QString& section, const QString& key) const {
  const QString k = TrimSpaces(key);
  const auto range = FindSection(TrimSpaces(section));
  if (!range) return std::nullopt;
  const auto index = FindKey(range->first, range->second, k);
  if (!index) return std::nullopt;
  const Line& line = m_lines[*index];
  return CutValue(StripQuotes(TrimBlanks(QStringView(line.text).sliced(line.valueStart))));
}

QByteArray IniDocument::LineEndBytes() const {
  switch (m_lineEnd) {
    case LineEnd::Lf:
      return Encode(QStringLiteral("\n"));
    case LineEnd::Cr:
      return Encode(QStringLiteral("\r"));
    case LineEnd::CrLf:
      break;
  }
  return Encode(QStringLiteral("\r\n"));
}

void IniDocument::TerminateLast() {
  if (!m_lines.empty() && m_lines.back().terminator.isEmpty()) m_lines.back().terminator = LineEndBytes();
}

IniDocument::SetResult IniDocument::Set(const QString& section, const QString& key, const QString& value) {
  const QString s = TrimSpaces(section);
  const QString k = TrimSpaces(key);
  // Anything that would not read back as the same one line is refused rather than
  // written: a line break in a value would otherwise inject lines into the file.
  if (k.isEmpty() || k.contains(u'=') || k.startsWith(u';') || k.startsWith(u'[')) return SetResult::Invalid;
  if (HasLineBreakOrNul(s) || HasLineBreakOrNul(k) || HasLineBreakOrNul(value)) return SetResult::Invalid;
  if (!QStringView(s).isValidUtf16() || !QStringView(k).isValidUtf16() || !QStringView(value).isValidUtf16())
    return SetResult::Invalid;
  const QString v = Stored(CutValue(value));

  const auto range = FindSection(s);
  if (!range) {
    TerminateLast();
    m_lines.push_back(MakeLine(Encode(u'[' + s + u']'), LineEndBytes()));
    m_lines.push_back(MakeLine(Encode(k + u'=' + v), LineEndBytes()));
    return SetResult::Changed;
  }

  if (const auto index = FindKey(range->first, range->second, k)) {
    Line& line = m_lines[*index];
    // The key as spelt in the file and the blanks around '=' stay as they were.
    qsizetype valueStart = line.valueStart;
    while (valueStart < line.text.size() && IsBlank(line.text[valueStart])) ++valueStart;
    const QString text = line.text.left(valueStart) + v;
    if (text == line.text) return SetResult::Unchanged;
    line = MakeLine(Encode(text), line.terminator);
    return SetResult::Changed;
  }

  // After the section's last key, so blank lines and comments that lead into the next
  // section stay in front of it.
  size_t insertAt = range->first + 1;
  for (size_t i = range->first + 1; i < range->second; ++i)
    if (m_lines[i].kind == Kind::Key) insertAt = i + 1;
  if (m_lines[insertAt - 1].terminator.isEmpty()) m_lines[insertAt - 1].terminator = LineEndBytes();
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), MakeLine(Encode(k + u'=' + v), LineEndBytes()));
  return SetResult::Changed;
}

QByteArray IniDocument::Serialize() const {
  QByteArray bytes;
  if (m_encoding == Encoding::Utf16Le) bytes = kUtf16Bom;
  if (m_encoding == Encoding::Utf8WithBom) bytes = kUtf8Bom;
  for (const Line& line : m_lines) bytes += line.body + line.terminator;
  return bytes;
}

}  // namespace profile
