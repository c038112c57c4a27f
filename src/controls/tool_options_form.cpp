#include "controls/tool_options_form.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "controls/stored_language.h"
#include "model/language_entries.h"

namespace trv {
namespace {

constexpr int kGroupBoxHeight = 100;
constexpr int kOkPanelHeight = 40;
constexpr int kClosePauseMs = 250;
constexpr TCommPort kLastProbedPort = spCOM7;
enum TPortColumn { kPortName, kPortDevice, kPortDescription, kPortColumnCount };

template <typename T>
T* Named(QWidget* parent, const char* name) {
  T* control = new T(parent);
  control->setObjectName(name);
  return control;
}

QLabel* NamedLabel(QWidget* parent, const char* name, const QString& text) {
  QLabel* label = Named<QLabel>(parent, name);
  label->setText(text);
  return label;
}

QLabel* FieldLabel(QWidget* parent, const char* name, const QString& text, QWidget* field) {
  QLabel* label = NamedLabel(parent, name, text);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setBuddy(field);
  return label;
}

QComboBox* ListBox(QWidget* parent, const char* name, bool editable, const QStringList& items) {
  QComboBox* box = Named<QComboBox>(parent, name);
  box->setEditable(editable);
  box->addItems(items);
  return box;
}

QStringList ToQStringList(const std::vector<std::string>& texts) {
  QStringList list;
  for (const std::string& text : texts) list << QString::fromStdString(text);
  return list;
}

// A port the user cannot choose: greyed, with the reason on every cell.
QList<QStandardItem*> PortRow(const TCommPortProbe& probe) {
  const QString detail =
      QString::fromStdString(probe.Openable() ? probe.Description : probe.State());
  QList<QStandardItem*> row{new QStandardItem(QString::fromStdString(probe.Name())),
                            new QStandardItem(QString::fromStdString(probe.Device)),
                            new QStandardItem(detail)};
  for (QStandardItem* cell : row) {
    cell->setEditable(false);
    if (!probe.Openable()) {
      cell->setEnabled(false);
      cell->setSelectable(false);
      cell->setToolTip(QString::fromStdString(probe.Reason));
    } else {
      cell->setToolTip(QString::fromStdString(probe.Description));
    }
  }
  return row;
}

// The port list drops down as a table: entry, device, description or why it cannot be chosen.
QTreeView* PortTable(QComboBox* box) {
  auto* table = new QTreeView(box);
  table->setHeaderHidden(true);
  table->setRootIsDecorated(false);
  table->setItemsExpandable(false);
  table->setAllColumnsShowFocus(true);
  table->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table->header()->setStretchLastSection(false);
  box->setView(table);
  return table;
}

// Wide enough to show every column without eliding.
void FitPortTable(QComboBox* box) {
  QAbstractItemView* table = box->view();
  int width = 2 * table->frameWidth();
  for (int column = 0; column < kPortColumnCount; ++column) {
    width += table->sizeHintForColumn(column);
  }
  table->setMinimumWidth(width);
}

}  // namespace

TToolOptionsForm::TToolOptionsForm(QWidget* parent)
    : TPlainForm("ToolOptionsForm", "Tool Options", parent), FPorts(new QStandardItemModel(this)) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  CreateControls();
  LayOutControls();
  FClosePause.setSingleShot(true);
  FClosePause.setInterval(kClosePauseMs);
  connect(&FClosePause, &QTimer::timeout, this, &QDialog::accept);
  connect(OptionCloseBtn, &QPushButton::clicked, this, [this] { OptionCloseBtnClick(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(OptionsSerialPortComboBox, &QComboBox::currentIndexChanged, this,
          [this] { ShowSelectedPortDevice(); });
  FillPortList();
  FormCreate();
}

void TToolOptionsForm::CreateControls() {
  ToolOptionsSerialPortGroupBox = Named<QGroupBox>(this, "ToolOptionsSerialPortGroupBox");
  ToolOptionsSerialPortGroupBox->setTitle("Serial Port");
  QWidget* group = ToolOptionsSerialPortGroupBox;
  OptionsSerialPortComboBox = Named<QComboBox>(group, "OptionsSerialPortComboBox");
  FPorts->setColumnCount(kPortColumnCount);
  OptionsSerialPortComboBox->setModel(FPorts);
  PortTable(OptionsSerialPortComboBox);
  OptionsSerialPortDeviceLabel = NamedLabel(group, "OptionsSerialPortDeviceLabel", "");
  Label2 = FieldLabel(group, "Label2", "Port", OptionsSerialPortComboBox);
  OptionsSerialRateComboBox =
      ListBox(group, "OptionsSerialRateComboBox", false, {"9600", "19200", "38400", "57600"});
  Label3 = FieldLabel(group, "Label3", "Baud Rate", OptionsSerialRateComboBox);
  SoftwareIDComboBox =
      ListBox(group, "SoftwareIDComboBox", true,
              {"3C-91-5E-07-B4-22-D8", "6F-0A-83-E1-4D-19-C5", "90-7B-2E-58-F3-A6-01"});
  Label4 = FieldLabel(group, "Label4", "Software ID", SoftwareIDComboBox);

  ToolOptionsOKPanel = Named<QFrame>(this, "ToolOptionsOKPanel");
  ToolOptionsOKPanel->setFrameShape(QFrame::NoFrame);
  OptionCloseBtn = Named<QPushButton>(ToolOptionsOKPanel, "OptionCloseBtn");
  OptionCloseBtn->setText("OK");
  OptionCloseBtn->setDefault(true);
  BitBtn1 = Named<QPushButton>(ToolOptionsOKPanel, "BitBtn1");
  BitBtn1->setText("Cancel");

  ToolLangComboBox = ListBox(this, "ToolLangComboBox", true, {});
  LocaleLabel = NamedLabel(this, "LocaleLabel", "");
  CurrentLocale = NamedLabel(this, "CurrentLocale", "CurrentLocale");
  BorlandLocale = NamedLabel(this, "BorlandLocale", "BorlandLocale");
  BorlandLabel = NamedLabel(this, "BorlandLabel", "");
}

void TToolOptionsForm::LayOutControls() {
  auto* fields = new QGridLayout(ToolOptionsSerialPortGroupBox);
  fields->addWidget(Label2, 0, 0);
  fields->addWidget(OptionsSerialPortComboBox, 0, 1);
  fields->addWidget(OptionsSerialPortDeviceLabel, 0, 2);
  fields->addWidget(Label3, 1, 0);
  fields->addWidget(OptionsSerialRateComboBox, 1, 1);
  fields->addWidget(Label4, 2, 0);
  fields->addWidget(SoftwareIDComboBox, 2, 1);
  fields->setColumnStretch(2, 1);
  ToolOptionsSerialPortGroupBox->setFixedHeight(kGroupBoxHeight);

  auto* buttons = new QHBoxLayout(ToolOptionsOKPanel);
  buttons->addStretch();
  buttons->addWidget(OptionCloseBtn);
  buttons->addWidget(BitBtn1);
  buttons->addStretch();
  ToolOptionsOKPanel->setFixedHeight(kOkPanelHeight);

  auto* form = new QVBoxLayout(this);
  form->setSizeConstraint(QLayout::SetFixedSize);
  form->addWidget(ToolOptionsSerialPortGroupBox);
  form->addWidget(ToolOptionsOKPanel);
  for (QWidget* hidden :
       std::initializer_list<QWidget*>{Label4, SoftwareIDComboBox, ToolLangComboBox, LocaleLabel,
                                       CurrentLocale, BorlandLocale, BorlandLabel, BitBtn1}) {
    form->addWidget(hidden);
    hidden->hide();
  }
}

void TToolOptionsForm::FillPortList() {
  if (OptionsSerialPortComboBox->count() == 0) {
    ShowPorts(ProbeCommPorts(SerialComms1, kLastProbedPort), {});
  }
  if (OptionsSerialRateComboBox->currentIndex() < 0) OptionsSerialRateComboBox->setCurrentIndex(0);
}

void TToolOptionsForm::RefreshPortList() {
  ShowPorts(ProbeCommPorts(SerialComms1, kLastProbedPort),
            OptionsSerialPortComboBox->currentText());
}

void TToolOptionsForm::ShowPorts(const std::vector<TCommPortProbe>& probes,
                                 const QString& selectedBefore) {
  std::vector<TCommPortProbe> listed;
  std::copy_if(probes.begin(), probes.end(), std::back_inserter(listed),
               [](const TCommPortProbe& probe) { return probe.Exists(); });
  FPorts->removeRows(0, FPorts->rowCount());
  for (const TCommPortProbe& probe : listed) FPorts->appendRow(PortRow(probe));
  FitPortTable(OptionsSerialPortComboBox);
  const auto selected = PortEntryToSelect(listed, selectedBefore.toStdString());
  OptionsSerialPortComboBox->setCurrentIndex(selected ? static_cast<int>(*selected) : -1);
  ShowSelectedPortDevice();
}

void TToolOptionsForm::ShowSelectedPortDevice() {
  const int row = OptionsSerialPortComboBox->currentIndex();
  const auto cell = [&](int column) { return FPorts->index(row, column).data().toString(); };
  OptionsSerialPortDeviceLabel->setText(
      row < 0 ? QString() : cell(kPortDevice) + "  " + cell(kPortDescription));
}

void TToolOptionsForm::FormCreate() {
  SoftwareIDComboBox->setCurrentIndex(1);
  LocaleLabel->setText(QString::fromStdString(CurrentLocaleText(LocaleNamesOf(QLocale()))));
  ToolLangComboBox->addItems(ToQStringList(LanguageEntries(InstalledLocaleNames())));
  ToolLangComboBox->setCurrentIndex(-1);
  ToolLangComboBox->setEditText(LocaleLabel->text());
  // The first port that opens is selected by FillPortList.
  OptionsSerialRateComboBox->setCurrentText("9600");
}

void TToolOptionsForm::showEvent(QShowEvent* event) {
  RefreshPortList();
  TPlainForm::showEvent(event);
  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TToolOptionsForm::OptionCloseBtnClick() {
  if (ToolLangComboBox->currentIndex() >= 0) {
    BorlandLabel->setText(ToolLangComboBox->currentText());
    if (const auto code = LanguageCodeOfEntry(BorlandLabel->text().toStdString())) {
      StoreLanguageCode(QCoreApplication::applicationFilePath().toStdString(),
                        QString::fromStdString(*code));
    }
  }
  repaint();
  FClosePause.start();
}

void TToolOptionsForm::BitBtn1Click() {
  reject();
}

}  // namespace trv
