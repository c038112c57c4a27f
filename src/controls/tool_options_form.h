#pragma once

#include <QTimer>
#include <vector>

#include "controls/plain_form.h"
#include "controls/qt_ui_dispatcher.h"
#include "serial/comm_port_probe.h"
#include "serial/serial_comms.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QStandardItemModel;

namespace trv {

// Tool "Options": the port and rate of every transfer and the Software IDs a transfer tries;
// OK stores the chosen language for the next start. The selections live in the controls.
class TToolOptionsForm : public TPlainForm {
  Q_OBJECT

 public:
  explicit TToolOptionsForm(QWidget* parent = nullptr);

  // Probes COM1..COM7 when the port list is empty; selects the first rate when none is.
  void FillPortList();

  QGroupBox* ToolOptionsSerialPortGroupBox;
  QLabel* Label2;
  QComboBox* OptionsSerialPortComboBox;
  QLabel* OptionsSerialPortDeviceLabel;
  QLabel* Label3;
  QComboBox* OptionsSerialRateComboBox;
  QLabel* Label4;
  QComboBox* SoftwareIDComboBox;
  QFrame* ToolOptionsOKPanel;
  QPushButton* OptionCloseBtn;
  QComboBox* ToolLangComboBox;
  QLabel* LocaleLabel;
  QLabel* CurrentLocale;
  QLabel* BorlandLocale;
  QLabel* BorlandLabel;
  QPushButton* BitBtn1;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  void LayOutControls();
  void FormCreate();
  // Probes again, keeping the selected port when it still opens.
  void RefreshPortList();
  void ShowPorts(const std::vector<TCommPortProbe>& probes, const QString& selectedBefore);
  void ShowSelectedPortDevice();
  void OptionCloseBtnClick();
  void BitBtn1Click();

  TQtUiDispatcher FDispatcher;
  TSerialComms SerialComms1{&FDispatcher};
  QStandardItemModel* FPorts;
  QTimer FClosePause;
};

}  // namespace trv
