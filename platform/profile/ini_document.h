// The lines of one INI file, parsed for lookup and edited in place.
//
// Every line keeps its original bytes, so a write changes only the line it replaces or
// adds: comments, blank lines, odd spacing and even lines that cannot be decoded come
// back byte for byte. Lines are decoded one at a time; a line with a NUL or an invalid
// encoding is kept but never matched.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace profile {

class IniDocument {
 public:
  enum class Encoding { Utf8, Utf8WithBom, Utf16Le };
  enum class SetResult { Invalid, Unchanged, Changed };

  // A document for a file that does not exist yet: UTF-8 without BOM, CRLF line ends.
  IniDocument() = default;
  // Any bytes are accepted; what cannot be parsed is kept and ignored.
  static IniDocument Parse(const QByteArray& bytes);

  Encoding encoding() const { return m_encoding; }

  // The value of the first key named `key` in the first section named `section` (both
  // without regard to case), blanks around it and one pair of matching quotes removed,
  // cut to kMaxValueLength.
  std::optional<QString> Value(const QString& section, const QString& key) const;

  // Replaces the value in place, or adds the key at the end of its section, or adds the
  // section at the end. Invalid when a name or the value cannot be stored on one line.
  SetResult Set(const QString& section, const QString& key, const QString& value);

  QByteArray Serialize() const;

 private:
  enum class Kind { Other, Section, Key };
  enum class LineEnd { CrLf, Lf, Cr };

  struct Line {
    QByteArray body;        // the line's bytes without its terminator
    QByteArray terminator;  // the encoded "\r\n", "\n" or "\r"; empty on an unterminated last line
    Kind kind = Kind::Other;
    QString text;           // the decoded body (readable lines only)
    QString name;           // section or key name, blanks removed
    qsizetype valueStart = 0;  // Key: index in `text` just after '='
  };

  Line MakeLine(const QByteArray& body, const QByteArray& terminator) const;
  QByteArray Encode(const QString& text) const;
  std::optional<QString> Decode(const QByteArray& body) const;
  // [header, end) of the first section with that name.
  std::optional<std::pair<size_t, size_t>> FindSection(const QString& name) const;
  std::optional<size_t> FindKey(size_t begin, size_t end, const QString& key) const;
  QByteArray LineEndBytes() const;
  void TerminateLast();

  Encoding m_encoding = Encoding::Utf8;
  LineEnd m_lineEnd = LineEnd::CrLf;
  std::vector<Line> m_lines;
};

}  // namespace profile
