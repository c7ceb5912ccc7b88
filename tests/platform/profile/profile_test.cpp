#include "platform/profile/profile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class ProfileTest : public ::testing::Test {
 protected:
  QString Path(const QString& name = QStringLiteral("Setting.ini")) const { return m_dir.filePath(name); }

  void WriteRaw(const QByteArray& bytes, const QString& name = QStringLiteral("Setting.ini")) const {
    QFile file(Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }

  QByteArray ReadRaw(const QString& name = QStringLiteral("Setting.ini")) const {
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QString Get(const QString& section, const QString& key, const QString& def = QStringLiteral("<default>")) const {
    return profile::getString(Path(), section, key, def);
  }

  QTemporaryDir m_dir;
};

// Byte strings that may hold NUL bytes.
template <size_t N>
QByteArray Bytes(const char (&s)[N]) {
  return QByteArray(s, N - 1);
}

QByteArray Utf16(const QString& text) {
  QByteArray bytes("\xFF\xFE", 2);
  for (QChar c : text) {
    bytes.append(static_cast<char>(c.unicode() & 0xFF));
    bytes.append(static_cast<char>(c.unicode() >> 8));
  }
  return bytes;
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefault) {
  EXPECT_EQ(Get("LANGUAGESET", "LANGUAGE", "Japanese"), "Japanese");
  EXPECT_EQ(profile::getInt(Path(), "LANGUAGESET", "INDEX", 7), 7);
  EXPECT_FALSE(QFileInfo::exists(Path())) << "reading must not create the file";

  WriteRaw("[Path]\r\nFileFolder=/x/\r\n[LANGUAGESET]\r\nINDEX=1\r\n");
  EXPECT_EQ(Get("Other", "FileFolder"), "<default>");
  EXPECT_EQ(Get("LANGUAGESET", "LANGUAGE"), "<default>");
  EXPECT_EQ(Get("LANGUAGESET", "FileFolder"), "<default>") << "a key of another section must not match";
  EXPECT_EQ(Get("Path", "FileFolder"), "/x/");
}

TEST_F(ProfileTest, NamesMatchWithoutCaseAndBlanksAndQuotesAreDropped) {
  WriteRaw("  [ LanguageSet ]  \r\n"
           "  language =  \"English\"  \r\n"
           "single='Chinese'\r\n"
           "mixed=\"abc'\r\n"
           "lone=\"\r\n"
           "inner= a \"b\" c \r\n"
           "empty=\r\n"
           "nokey line\r\n"
           "; INDEX=5\r\n");
  EXPECT_EQ(Get("LANGUAGESET", "LANGUAGE"), "English");
  EXPECT_EQ(Get(" languageset ", " Language "), "English");
  EXPECT_EQ(Get("languageset", "SINGLE"), "Chinese");
  EXPECT_EQ(Get("languageset", "mixed"), "\"abc'");
  EXPECT_EQ(Get("languageset", "lone"), "\"");
  EXPECT_EQ(Get("languageset", "inner"), "a \"b\" c");
  EXPECT_EQ(Get("languageset", "empty"), "");
  EXPECT_EQ(Get("languageset", "nokey line"), "<default>");
  EXPECT_EQ(profile::getInt(Path(), "languageset", "INDEX", 9), 9) << "a commented-out key is not a key";
}

TEST_F(ProfileTest, FirstMatchingSectionAndKeyWinOnReadAndWrite) {
  WriteRaw("[Path]\nFileFolder=/first/\nfilefolder=/second/\n[PATH]\nFileFolder=/third/\nOnlyHere=1\n");
  EXPECT_EQ(Get("path", "FILEFOLDER"), "/first/");
  EXPECT_EQ(Get("path", "OnlyHere"), "<default>") << "only the first section of a name is searched";

  ASSERT_TRUE(profile::writeString(Path(), "PATH", "fileFOLDER", "/new/"));
  EXPECT_EQ(ReadRaw(), "[Path]\nFileFolder=/new/\nfilefolder=/second/\n[PATH]\nFileFolder=/third/\nOnlyHere=1\n");
  EXPECT_EQ(Get("Path", "FileFolder"), "/new/");
}

TEST_F(ProfileTest, FirstWriteCreatesUtf8FileWithCrlfAndLaterWritesAppend) {
  ASSERT_TRUE(profile::writeString(Path(), "LANGUAGESET", "LANGUAGE", "Japanese"));
  EXPECT_EQ(ReadRaw(), "[LANGUAGESET]\r\nLANGUAGE=Japanese\r\n");

  ASSERT_TRUE(profile::writeString(Path(), "Path", "FileFolder", QString::fromUtf8("/home/u/写真/")));
  ASSERT_TRUE(profile::writeString(Path(), "languageset", "INDEX", "2"));
  EXPECT_EQ(ReadRaw(), QByteArray("[LANGUAGESET]\r\nLANGUAGE=Japanese\r\nINDEX=2\r\n"
                                  "[Path]\r\nFileFolder=/home/u/写真/\r\n"));
  EXPECT_EQ(Get("PATH", "FILEFOLDER"), QString::fromUtf8("/home/u/写真/"));
  EXPECT_EQ(profile::getInt(Path(), "LANGUAGESET", "INDEX", 0), 2);
}

TEST_F(ProfileTest, WriteKeepsEveryOtherLineByteForByte) {
  const QByteArray before =
      "; settings written by hand\n"
      "\n"
      "[LANGUAGESET]   ; trailing note\n"
      "  ;LANGUAGE=Chinese\n"
      "LANGUAGE = English\n"
      "\tINDEX=1\n"
      "\n"
      "; about the path\n"
      "[Path]\n"
      "FileFolder=/pics/";  // no line end at the end of the file
  WriteRaw(before);

  ASSERT_TRUE(profile::writeString(Path(), "LANGUAGESET", "LANGUAGE", "Chinese"));
  ASSERT_TRUE(profile::writeString(Path(), "LANGUAGESET", "Extra", "x"));
  ASSERT_TRUE(profile::writeString(Path(), "Path", "Second", "y"));
  EXPECT_EQ(ReadRaw(),
            "; settings written by hand\n"
            "\n"
            "[LANGUAGESET]   ; trailing note\n"
            "  ;LANGUAGE=Chinese\n"
            "LANGUAGE = Chinese\n"
            "\tINDEX=1\n"
            "Extra=x\n"
            "\n"
            "; about the path\n"
            "[Path]\n"
            "FileFolder=/pics/\n"
            "Second=y\n");

  // The same value again leaves the file untouched.
  const QByteArray now = ReadRaw();
  ASSERT_TRUE(profile::writeString(Path(), "LANGUAGESET", "LANGUAGE", "Chinese"));
  EXPECT_EQ(ReadRaw(), now);
}

TEST_F(ProfileTest, ValuesWithBlanksOrQuotesAroundThemReadBackAsWritten) {
  WriteRaw("[S]\r\nquoted=\"\"Snap\"\"\r\n");
  // What the reader gives, written back, reads the same and leaves the line as it was.
  const QString read = Get("S", "quoted");
  EXPECT_EQ(read, "\"Snap\"");
  ASSERT_TRUE(profile::writeString(Path(), "S", "quoted", read));
  EXPECT_EQ(ReadRaw(), "[S]\r\nquoted=\"\"Snap\"\"\r\n");

  for (const QString& value : {QStringLiteral(" lead"), QStringLiteral("trail\t"), QStringLiteral("'x'"),
                               QStringLiteral("\"a\" b \"c\""), QStringLiteral("\""), QStringLiteral("plain")}) {
    ASSERT_TRUE(profile::writeString(Path(), "S", "v", value));
    EXPECT_EQ(Get("S", "v"), value);
  }
  EXPECT_TRUE(ReadRaw().endsWith("v=plain\r\n")) << "a value the reader keeps as it is goes in bare";
}

TEST_F(ProfileTest, ValuesAreCutTo259Characters) {
  const QString longValue(300, u'a');
  WriteRaw("[S]\r\nK=" + longValue.toUtf8() + "\r\n");
  EXPECT_EQ(Get("S", "K"), QString(profile::kMaxValueLength, u'a'));

  ASSERT_TRUE(profile::writeString(Path(), "S", "W", QString(300, u'b')));
  EXPECT_TRUE(ReadRaw().endsWith("W=" + QByteArray(profile::kMaxValueLength, 'b') + "\r\n"));

  // A character outside the basic plane is never cut in half.
  const QString emoji = QString::fromUtf8("😀");
  ASSERT_TRUE(profile::writeString(Path(), "S", "E", QString(258, u'c') + emoji));
  EXPECT_EQ(Get("S", "E"), QString(258, u'c'));
}

TEST_F(ProfileTest, Utf16FileIsReadAndWrittenBackAsUtf16) {
  const QString chinese = QString::fromUtf8("中文设置");
  const QString japanese = QString::fromUtf8("日本語のフォルダー");
  WriteRaw(Utf16("[LANGUAGESET]\r\nLANGUAGE=" + chinese + "\r\n; 注释\r\n"));
  EXPECT_EQ(Get("languageset", "language"), chinese);

  ASSERT_TRUE(profile::writeString(Path(), "LANGUAGESET", "LANGUAGE", japanese));
  ASSERT_TRUE(profile::writeString(Path(), QString::fromUtf8("パス"), "FileFolder", "/" + japanese + "/"));
  EXPECT_EQ(ReadRaw(), Utf16("[LANGUAGESET]\r\nLANGUAGE=" + japanese + "\r\n; 注释\r\n[パス]\r\nFileFolder=/" +
                             japanese + "/\r\n"));
  EXPECT_EQ(Get("LANGUAGESET", "LANGUAGE"), japanese);
  EXPECT_EQ(Get(QString::fromUtf8("パス"), "FileFolder"), "/" + japanese + "/");
}

TEST_F(ProfileTest, Utf8ByteOrderMarkIsKept) {
  WriteRaw("\xEF\xBB\xBF[A]\nk=v\n");
  EXPECT_EQ(Get("A", "k"), "v") << "the mark is not part of the first section name";
  ASSERT_TRUE(profile::writeString(Path(), "A", "k", "w"));
  EXPECT_EQ(ReadRaw(), "\xEF\xBB\xBF[A]\nk=w\n");
}

TEST_F(ProfileTest, BinaryGarbageNeitherCrashesNorLosesReadableSettings) {
  const QByteArray before = Bytes("[A]\r\nkeep=1\r\n\x00\xFF\xFE\x80\x01[broken\x00=\xC3\x28\r\n"
                                  "bad\xFF=2\r\nafter=3\r\n[B]\r\nx\x00y=4\r\nz=5\r\n");
  WriteRaw(before);
  EXPECT_EQ(Get("A", "keep"), "1");
  EXPECT_EQ(Get("A", "after"), "3") << "an undecodable line does not end the section";
  EXPECT_EQ(Get("B", "z"), "5");
  EXPECT_EQ(Get("B", "xy"), "<default>");

  ASSERT_TRUE(profile::writeString(Path(), "A", "keep", "9"));
  ASSERT_TRUE(profile::writeString(Path(), "C", "new", "n"));
  QByteArray expected = before;
  expected.replace("keep=1", "keep=9");
  EXPECT_EQ(ReadRaw(), expected + "[C]\r\nnew=n\r\n") << "undecodable bytes come back unchanged";
}

TEST_F(ProfileTest, TruncatedUtf16FileKeepsWhatWasReadable) {
  // Cut in the middle of a section header and of a character.
  QByteArray truncated = Utf16("[A]\r\nkeep=1\r\n[LANGUAGESET");
  truncated.append('\x41');
  WriteRaw(truncated);
  EXPECT_EQ(Get("A", "keep"), "1");
  EXPECT_EQ(Get("LANGUAGESET", "LANGUAGE", "Japanese"), "Japanese");

  // The header cut short still opens its section, so the key goes under it.
  ASSERT_TRUE(profile::writeString(Path(), "LANGUAGESET", "LANGUAGE", "English"));
  EXPECT_EQ(ReadRaw(), Utf16("[A]\r\nkeep=1\r\n[LANGUAGESET\r\nLANGUAGE=English\r\n"));
  EXPECT_EQ(Get("A", "keep"), "1");
  EXPECT_EQ(Get("LANGUAGESET", "LANGUAGE"), "English");
}

// The rules of the Windows reader that a hand-edited or foreign file may lean on.
TEST_F(ProfileTest, ReadsAsTheWindowsReaderDoes) {
  // A default's trailing blanks are dropped, its leading ones kept.
  EXPECT_EQ(Get("S", "missing", " padded \t "), " padded");

  // Only spaces go from around names: a tab is part of a name.
  WriteRaw("[ Spaced ]\r\n key =1\r\n[\tTabbed]\r\n\tkey=2\r\n");
  EXPECT_EQ(Get("Spaced", "key"), "1");
  EXPECT_EQ(Get("Tabbed", "key"), "<default>");
  EXPECT_EQ(Get("\tTabbed", "\tkey"), "2");

  // A section line without its closing bracket opens that section.
  WriteRaw("[Path\r\nFileFolder=/x/\r\n[Next]\r\nFileFolder=/y/\r\n");
  EXPECT_EQ(Get("Path", "FileFolder"), "/x/");
  EXPECT_EQ(Get("Next", "FileFolder"), "/y/");

  // A line that starts with '=' is a key with an empty name: in the section, not a value
  // of anything else.
  WriteRaw("[S]\r\n=nameless\r\nk=v\r\n");
  EXPECT_EQ(Get("S", ""), "nameless");
  EXPECT_EQ(Get("S", "k"), "v");
}

TEST_F(ProfileTest, LinesEndingInACarriageReturnAloneAreReadByLinesAndKeepTheirEnding) {
  WriteRaw("[LANGUAGESET]\rLANGUAGE=English\rINDEX=1\r[Path]\rFileFolder=/x/\r");
  EXPECT_EQ(Get("LANGUAGESET", "LANGUAGE"), "English");
  EXPECT_EQ(profile::getInt(Path(), "LANGUAGESET", "INDEX", 9), 1);
  EXPECT_EQ(Get("Path", "FileFolder"), "/x/");
  ASSERT_TRUE(profile::writeString(Path(), "LANGUAGESET", "LANGUAGE", "Chinese"));
  ASSERT_TRUE(profile::writeString(Path(), "Other", "k", "v"));
  EXPECT_EQ(ReadRaw(), "[LANGUAGESET]\rLANGUAGE=Chinese\rINDEX=1\r[Path]\rFileFolder=/x/\r[Other]\rk=v\r");
  // Mixed endings: each line keeps its own.
  WriteRaw("[A]\r\na=1\rb=2\nc=3");
  EXPECT_EQ(Get("A", "b"), "2");
  EXPECT_EQ(Get("A", "c"), "3");
  ASSERT_TRUE(profile::writeString(Path(), "A", "d", "4"));
  EXPECT_EQ(ReadRaw(), "[A]\r\na=1\rb=2\nc=3\r\nd=4\r\n");
}

TEST_F(ProfileTest, FailedWritesChangeNothing) {
  const QString missing = m_dir.filePath("no-such-folder/Setting.ini");
  EXPECT_FALSE(profile::writeString(missing, "A", "k", "v"));
  EXPECT_FALSE(QFileInfo::exists(m_dir.filePath("no-such-folder")));

  ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.ini"));
  EXPECT_FALSE(profile::writeString(Path("folder.ini"), "A", "k", "v"));
  EXPECT_EQ(profile::getString(Path("folder.ini"), "A", "k", "d"), "d");

  // A value or name that cannot live on one line would inject lines into the file.
  WriteRaw("[A]\r\nk=v\r\n");
  EXPECT_FALSE(profile::writeString(Path(), "A", "k", "evil\r\n[LANGUAGESET]\r\nLANGUAGE=x"));
  EXPECT_FALSE(profile::writeString(Path(), "A", "a=b", "v"));
  EXPECT_FALSE(profile::writeString(Path(), "A\nB", "k", "v"));
  EXPECT_FALSE(profile::writeString(Path(), "A", "  ", "v"));
  EXPECT_EQ(ReadRaw(), "[A]\r\nk=v\r\n");
  EXPECT_FALSE(profile::writeString(QString(), "A", "k", "v"));
}

TEST_F(ProfileTest, UnreadableOrUnwritableFileIsLeftAsItWas) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  WriteRaw("[A]\r\nk=v\r\nother=1\r\n");
  QFile::setPermissions(Path(), QFileDevice::WriteOwner);
  EXPECT_FALSE(profile::writeString(Path(), "A", "k", "w")) << "replacing it would lose 'other'";
  QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

  QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  EXPECT_FALSE(profile::writeString(Path(), "A", "k", "w"));
  QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  EXPECT_EQ(ReadRaw(), "[A]\r\nk=v\r\nother=1\r\n");
}

TEST_F(ProfileTest, AnEditReadsOnceAndReplacesTheFileOnlyWhenItsContentChanged) {
  WriteRaw("[A]\r\nk=v\r\n");
  // The save replaces the file by renaming a new one over it, which gives a new inode.
  const auto inode = [this] {
    struct stat info {};
    return ::stat(QFile::encodeName(Path()).constData(), &info) == 0 ? info.st_ino : 0;
  };
  const auto before = inode();
  EXPECT_TRUE(profile::edit(Path(), [](QByteArray& content) { return profile::writeStringIn(content, "A", "k", "v"); }));
  EXPECT_EQ(inode(), before) << "an edit that changes nothing leaves the file alone";

  EXPECT_TRUE(profile::edit(Path(), [](QByteArray& content) {
    return profile::writeStringIn(content, "A", "k", "w") && profile::writeStringIn(content, "B", "n", "1");
  }));
  EXPECT_EQ(ReadRaw(), "[A]\r\nk=w\r\n[B]\r\nn=1\r\n");

  // A refused change leaves the file as it was, even after a change it made first.
  EXPECT_FALSE(profile::edit(Path(), [](QByteArray& content) {
    return profile::writeStringIn(content, "A", "k", "x") && profile::writeStringIn(content, "A", "k", "a\nb");
  }));
  EXPECT_EQ(ReadRaw(), "[A]\r\nk=w\r\n[B]\r\nn=1\r\n");

  // What cannot be read is edited as empty content and never written.
  ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.ini"));
  QByteArray seen("not called");
  EXPECT_FALSE(profile::edit(Path("folder.ini"), [&](QByteArray& content) {
    seen = content;
    return profile::writeStringIn(content, "A", "k", "v");
  }));
  EXPECT_TRUE(seen.isEmpty());
  EXPECT_TRUE(QFileInfo(Path("folder.ini")).isDir());
}

TEST_F(ProfileTest, IntegerValues) {
  WriteRaw("[N]\na=42\nb=  -12xyz\nc=+7\nd=abc\ne=\nf=\" 5\"\ng=99999999999\nh=-99999999999\ni=0x10\n");
  EXPECT_EQ(profile::getInt(Path(), "N", "a", -1), 42);
  EXPECT_EQ(profile::getInt(Path(), "N", "b", -1), -12);
  EXPECT_EQ(profile::getInt(Path(), "N", "c", -1), 7);
  EXPECT_EQ(profile::getInt(Path(), "N", "d", -1), 0);
  EXPECT_EQ(profile::getInt(Path(), "N", "e", -1), -1) << "an empty value counts as missing";
  EXPECT_EQ(profile::getInt(Path(), "N", "f", -1), 5);
  EXPECT_EQ(profile::getInt(Path(), "N", "g", -1), INT_MAX);
  EXPECT_EQ(profile::getInt(Path(), "N", "h", -1), INT_MIN);
  EXPECT_EQ(profile::getInt(Path(), "N", "i", -1), 0) << "decimal only";
  EXPECT_EQ(profile::getInt(Path(), "N", "missing", -1), -1);
}

}  // namespace
