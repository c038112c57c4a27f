#include "shell/language_module.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>
#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <vector>

#include "model/string_table.h"

namespace trv {
namespace {

constexpr qint64 kModuleSizeLimit = 4 * 1024 * 1024;

[[noreturn]] void Refuse(const std::filesystem::path& path, const QString& why) {
  throw std::runtime_error(path.string() + " - not a language module: " + why.toStdString());
}

bool IsTextOrTextList(const QJsonValue& value) {
  if (value.isString()) return true;
  if (!value.isArray()) return false;
  const QJsonArray items = value.toArray();
  return std::all_of(items.begin(), items.end(), [](const QJsonValue& v) { return v.isString(); });
}

void CheckStrings(const std::filesystem::path& path, const QJsonObject& strings) {
  for (auto it = strings.begin(); it != strings.end(); ++it) {
    if (!it.value().isString()) Refuse(path, "string " + it.key() + " is not a text");
  }
}

void CheckForms(const std::filesystem::path& path, const QJsonObject& forms) {
  for (auto form = forms.begin(); form != forms.end(); ++form) {
    if (!form.value().isObject()) Refuse(path, "form " + form.key() + " is not an object");
    const QJsonObject controls = form.value().toObject();
    for (auto control = controls.begin(); control != controls.end(); ++control) {
      if (!control.value().isObject())
        Refuse(path, "control " + control.key() + " is not an object");
      const QJsonObject properties = control.value().toObject();
      for (auto property = properties.begin(); property != properties.end(); ++property) {
        if (!IsTextOrTextList(property.value())) {
          Refuse(path, "property " + control.key() + "." + property.key() + " is not a text");
        }
      }
    }
  }
}

QTabWidget* TabWidgetOfPage(QWidget& page) {
  auto* stack = qobject_cast<QStackedWidget*>(page.parentWidget());
  return stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
}

void SetCaption(QObject& object, const QString& text) {
  if (auto* action = qobject_cast<QAction*>(&object)) return action->setText(text);
  if (auto* menu = qobject_cast<QMenu*>(&object)) return menu->setTitle(text);
  if (auto* button = qobject_cast<QAbstractButton*>(&object)) return button->setText(text);
  if (auto* label = qobject_cast<QLabel*>(&object)) return label->setText(text);
  if (auto* group = qobject_cast<QGroupBox*>(&object)) return group->setTitle(text);
  if (auto* edit = qobject_cast<QLineEdit*>(&object)) return edit->setText(text);
  auto* widget = qobject_cast<QWidget*>(&object);
  if (!widget) return;
  if (QTabWidget* tabs = TabWidgetOfPage(*widget)) {
    tabs->setTabText(tabs->indexOf(widget), text);
  } else {
    widget->setWindowTitle(text);
  }
}

void SetHint(QObject& object, const QString& text) {
  if (auto* action = qobject_cast<QAction*>(&object)) return action->setToolTip(text);
  if (auto* widget = qobject_cast<QWidget*>(&object)) widget->setToolTip(text);
}

void SetItems(QObject& object, const QJsonArray& items) {
  auto* combo = qobject_cast<QComboBox*>(&object);
  if (!combo) return;
  const int count = std::min(combo->count(), static_cast<int>(items.size()));
  for (int i = 0; i < count; ++i) combo->setItemText(i, items[i].toString());
}

void ApplyProperties(QObject& object, const QJsonObject& properties) {
  for (auto it = properties.begin(); it != properties.end(); ++it) {
    if (it.key() == "caption") SetCaption(object, it.value().toString());
    if (it.key() == "hint") SetHint(object, it.value().toString());
    if (it.key() == "items") SetItems(object, it.value().toArray());
  }
}

// The form's own classes below the plain window classes, base classes first.
std::vector<QString> FormClassChain(const QWidget& form) {
  std::vector<QString> chain;
  for (const QMetaObject* meta = form.metaObject(); meta; meta = meta->superClass()) {
    if (meta == &QMainWindow::staticMetaObject || meta == &QDialog::staticMetaObject ||
        meta == &QWidget::staticMetaObject) {
      break;
    }
    chain.insert(chain.begin(), QString::fromLatin1(meta->className()).section("::", -1));
  }
  return chain;
}

QObject* FindControl(QWidget& form, const QString& name) {
  if (name == form.objectName()) return &form;
  return form.findChild<QObject*>(name);
}

}  // namespace

QString UserLanguageCode(const std::filesystem::path& programPath, const QLocale& systemLocale) {
  const QString stored = StoredLanguageCode(programPath);
  if (stored.size() == 3) return stored.toUpper();
  return ThreeLetterLanguageCode(systemLocale);
}

std::filesystem::path LanguageModulePath(const std::filesystem::path& programPath,
                                         const QString& languageCode) {
  const std::string code = languageCode.toStdString();
  return programPath.parent_path() / code / (programPath.stem().string() + "." + code);
}

std::optional<LanguageModule> LanguageModule::Load(const std::filesystem::path& path) {
  QFile file(QString::fromStdString(path.string()));
  if (!file.exists()) return std::nullopt;
  if (!file.open(QIODevice::ReadOnly)) Refuse(path, file.errorString());
  if (file.size() > kModuleSizeLimit) Refuse(path, "larger than 4 MiB");
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(file.read(kModuleSizeLimit), &error);
  if (error.error != QJsonParseError::NoError) Refuse(path, error.errorString());
  if (!document.isObject()) Refuse(path, "not a JSON object");
  const QJsonValue strings = document.object().value("strings");
  const QJsonValue forms = document.object().value("forms");
  if (!strings.isUndefined() && !strings.isObject()) Refuse(path, "\"strings\" is not an object");
  if (!forms.isUndefined() && !forms.isObject()) Refuse(path, "\"forms\" is not an object");
  CheckStrings(path, strings.toObject());
  CheckForms(path, forms.toObject());
  return LanguageModule(path, strings.toObject(), forms.toObject());
}

std::vector<std::string> LanguageModule::ApplyStrings() const {
  const QByteArray text = QJsonDocument(FStrings).toJson(QJsonDocument::Compact);
  const StringReplacement result =
      ReplaceActiveStrings(nlohmann::json::parse(text.begin(), text.end()));
  std::vector<std::string> refused;
  for (const RefusedString& entry : result.Refused) refused.push_back(entry.Key);
  return refused;
}

void LanguageModule::ApplyForm(QWidget& form) const {
  for (const QString& className : FormClassChain(form)) {
    const QJsonObject controls = FForms.value(className).toObject();
    for (auto it = controls.begin(); it != controls.end(); ++it) {
      if (QObject* control = FindControl(form, it.key())) {
        ApplyProperties(*control, it.value().toObject());
      }
    }
  }
}

}  // namespace trv
