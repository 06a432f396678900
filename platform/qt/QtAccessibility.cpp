#include "platform/qt/QtAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>
#include <QVariant>

namespace zerka::qt {
namespace {

const char* const kRoleProperty = "zerkaAccessibleRole";

class TAccessibleWithRole : public QAccessibleWidget {
 public:
  TAccessibleWithRole(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

  QString text(QAccessible::Text kind) const override {
    if (role() == QAccessible::StatusBar && kind == QAccessible::Name) {
      if (const auto* label = qobject_cast<const QLabel*>(widget())) return label->text();
    }
    if (role() == QAccessible::AlertMessage && (kind == QAccessible::Name || kind == QAccessible::Description)) {
      // Qt's balloon holds its title first, then its message, each in a label.
      const QList<QLabel*> labels = widget()->findChildren<QLabel*>();
      QStringList texts;
      for (const QLabel* label : labels) {
        if (!label->text().isEmpty()) texts << label->text();
      }
      if (kind == QAccessible::Name) return texts.value(0);
      return texts.mid(1).join(QLatin1Char(' '));
    }
    return QAccessibleWidget::text(kind);
  }
};

QAccessibleInterface* RoleFactory(const QString& className, QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (!widget) return nullptr;
  if (className == QLatin1String("QBalloonTip")) return new TAccessibleWithRole(widget, QAccessible::AlertMessage);
  const QVariant role = widget->property(kRoleProperty);
  if (!role.isValid()) return nullptr;
  return new TAccessibleWithRole(widget, static_cast<QAccessible::Role>(role.toInt()));
}

}  // namespace

void InstallAccessibleRoles() {
  static const bool installed = [] {
    QAccessible::installFactory(RoleFactory);
    return true;
  }();
  (void)installed;
}

void MarkAsDialog(QWidget* form) { form->setProperty(kRoleProperty, static_cast<int>(QAccessible::Dialog)); }

void MarkAsStatusBar(QWidget* bar) { bar->setProperty(kRoleProperty, static_cast<int>(QAccessible::StatusBar)); }

QString CaptionWithoutAccessKey(const QString& caption) {
  QString plain;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
    plain += caption[i];
  }
  return plain;
}

void NameFieldByLabel(QLabel* label, QWidget* field, QLineEdit* edit) {
  // The spin field's frame takes no focus itself: its line edit does.
  label->setBuddy(edit ? edit : field);
  // With a buddy the "&" no longer shows, so the label takes its caption's width anew.
  label->resize(label->sizeHint().width(), label->height());
  const QString name = CaptionWithoutAccessKey(label->text());
  field->setAccessibleName(name);
  if (edit) edit->setAccessibleName(name);
}

}  // namespace zerka::qt
