#include "mainwnd/about_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "platform/profile/profile.h"
#include "res/resources.h"
#include "texts/language.h"
#include "texts/settings_keys.h"
#include "texts/user_files.h"

CAboutDlg::CAboutDlg(UserFiles& files, QWidget* parent) : QDialog(parent), m_files(files) {
  auto* icon = new QLabel(this);
  icon->setPixmap(AppIcon().pixmap(32, 32));
  icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

  m_lblName = new QLabel(this);
  m_lblRights = new QLabel(this);
  m_lblLanguage = new QLabel(this);
  m_cmbLanguage = new QComboBox(this);
  m_cmbLanguage->setEditable(false);
  for (int i = 0; i < language::kCount; ++i) m_cmbLanguage->addItem(language::NameOf(i));
  m_lblLanguage->setBuddy(m_cmbLanguage);

  auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
  QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
  buttons->addButton(QDialogButtonBox::Cancel);
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &CAboutDlg::OnOK);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(12);
  grid->addWidget(icon, 0, 0, 2, 1);
  grid->addWidget(m_lblName, 0, 1, 1, 2);
  grid->addWidget(m_lblRights, 1, 1, 1, 2);
  grid->addWidget(m_lblLanguage, 2, 1, Qt::AlignRight);
  grid->addWidget(m_cmbLanguage, 2, 2);
  grid->addWidget(buttons, 0, 3, 3, 1);
  grid->setColumnStretch(2, 1);
  setSizeGripEnabled(false);
}

CAboutDlg::~CAboutDlg() = default;

bool CAboutDlg::OnInitDialog() {
  const int index = profile::getInt(m_files.m_strSettingPath, settings::kLanguageSection, settings::kIndexKey, 0);
  // An index outside the list leaves it without a selection.
  m_cmbLanguage->setCurrentIndex(index >= 0 && index < language::kCount ? index : -1);
  ApplyTexts();
  return true;
}

void CAboutDlg::ApplyTexts() {
  setWindowTitle(m_files.UiText(Txt::About_MainCaption));
  m_lblName->setText(m_files.UiText(Txt::About_SOFTNAME));
  m_lblRights->setText(m_files.UiText(Txt::About_CPYRIGHT));
  m_lblLanguage->setText(m_files.UiText(Txt::About_LAN));
}

void CAboutDlg::OnOK() {
  const int index = m_cmbLanguage->currentIndex();
  // With no language selected, OK keeps the language in use and writes nothing: an
  // empty name and index -1 would only be replaced by a default at the next start.
  if (index >= 0 && index < language::kCount) {
    m_files.SetLanguage(m_cmbLanguage->currentText(), index);
    ApplyTexts();
  }
  accept();
}
