#include "propertyconfigwidget.h"

propertyConfigWidget::propertyConfigWidget(QWidget* parent) : QWidget(parent) {}
