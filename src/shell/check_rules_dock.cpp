#include "shell/check_rules_dock.h"

#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <string>

#include "editor/rule_checker.h"
#include "editor/rule_list_commands.h"

namespace trv {
namespace {

enum Column { kSeverityColumn, kRulesColumn, kTextColumn };

constexpr int kListHeight = 190;

// The rule a double-click loads, kept on the finding's row; 0 for none.
constexpr int kFirstRuleRole = Qt::UserRole;

QStyle::StandardPixmap IconOf(FindingSeverity severity) {
  switch (severity) {
    case FindingSeverity::Error:
      return QStyle::SP_MessageBoxCritical;
    case FindingSeverity::Warning:
      return QStyle::SP_MessageBoxWarning;
    case FindingSeverity::Note:
      break;
  }
  return QStyle::SP_MessageBoxInformation;
}

}  // namespace

TCheckRulesDock::TCheckRulesDock(const Configuration& configuration, TRuleListCommands& ruleList,
                                 QWidget* parent)
    : QDockWidget("Check Rules", parent), FConfiguration(configuration), FRuleList(ruleList) {
  setObjectName("CheckRulesDock");
  setAllowedAreas(Qt::BottomDockWidgetArea | Qt::RightDockWidgetArea);
  auto* holder = new QWidget(this);
  CheckRulesList = new QTreeWidget(holder);
  CheckRulesList->setObjectName("CheckRulesList");
  CheckRulesList->setHeaderLabels({"Severity", "Rules", "Finding"});
  CheckRulesList->setRootIsDecorated(false);
  CheckRulesList->setAlternatingRowColors(true);
  CheckRulesList->header()->setSectionResizeMode(kSeverityColumn, QHeaderView::ResizeToContents);
  CheckRulesList->header()->setSectionResizeMode(kRulesColumn, QHeaderView::ResizeToContents);
  CheckRulesSummary = new QLabel(holder);
  CheckRulesSummary->setObjectName("CheckRulesSummary");
  CheckRulesSummary->setBuddy(CheckRulesList);
  auto* layout = new QVBoxLayout(holder);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(CheckRulesSummary);
  layout->addWidget(CheckRulesList);
  setWidget(holder);
  connect(CheckRulesList, &QTreeWidget::itemDoubleClicked, this,
          [this](const QTreeWidgetItem* item) { CheckRulesListDoubleClick(item); });
  hide();
}

void TCheckRulesDock::MenuToolCheckRulesClick() {
  ShowFindings();
  if (isHidden()) MakeRoom();
  show();
  raise();
}

// Docked under the editor the first time, the list adds its height to the window's, so that the
// pages keep theirs; after that the window keeps the size the user gives it.
void TCheckRulesDock::MakeRoom() {
  auto* window = qobject_cast<QMainWindow*>(parentWidget());
  if (FRoomMade || !window || isFloating()) return;
  FRoomMade = true;
  window->resize(window->width(), window->height() + kListHeight);
  window->resizeDocks({this}, {kListHeight}, Qt::Vertical);
}

// A command notifies while it changes the rules; the list is read once it is done.
void TCheckRulesDock::RulesChanged() {
  if (isHidden() || FRefreshQueued) return;
  FRefreshQueued = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        FRefreshQueued = false;
        if (!isHidden()) ShowFindings();
      },
      Qt::QueuedConnection);
}

void TCheckRulesDock::ShowFindings() {
  const std::vector<Finding> findings = CheckConfiguration(FConfiguration);
  CheckRulesList->clear();
  for (const Finding& finding : findings) {
    auto* item = new QTreeWidgetItem(
        CheckRulesList, {QString::fromStdString(std::string(SeverityName(finding.Severity))),
                         QString::fromStdString(FindingRules(finding)),
                         QString::fromStdString(FindingText(finding))});
    item->setIcon(kSeverityColumn, style()->standardIcon(IconOf(finding.Severity)));
    item->setToolTip(kTextColumn, item->text(kTextColumn));
    item->setData(kSeverityColumn, kFirstRuleRole,
                  finding.Rules.empty() ? 0 : finding.Rules.front());
  }
  CheckRulesSummary->setText(QString::fromStdString(FindingsSummary(findings)));
}

void TCheckRulesDock::CheckRulesListDoubleClick(const QTreeWidgetItem* item) {
  const int rule = item->data(kSeverityColumn, kFirstRuleRole).toInt();
  if (rule != 0) FRuleList.SelectAndLoadRule(rule);
}

}  // namespace trv
