// The About window: name and version, a rights line, and the interface language.
#pragma once

#include <QDialog>

class UserFiles;
class QComboBox;
class QLabel;

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int IDD = 100;

  explicit CAboutDlg(UserFiles& files, QWidget* parent = nullptr);
  ~CAboutDlg() override;

  // Selects the stored language and applies the texts; run before the window shows.
  bool OnInitDialog();
  // OK: stores the chosen language and closes.
  void OnOK();

  QComboBox* LanguageList() const { return m_cmbLanguage; }
  QLabel* NameText() const { return m_lblName; }
  QLabel* RightsText() const { return m_lblRights; }
  QLabel* LanguageLabel() const { return m_lblLanguage; }

 private:
  void ApplyTexts();

  UserFiles& m_files;
  QLabel* m_lblName = nullptr;      // 1016
  QLabel* m_lblRights = nullptr;    // 1015
  QLabel* m_lblLanguage = nullptr;  // 1014
  QComboBox* m_cmbLanguage = nullptr;  // 1001
};
