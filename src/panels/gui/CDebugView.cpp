#include "panels/gui/CDebugView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "panels/RegisterDebuggerPanel.h"

namespace mirvo {
namespace {

QPushButton* Button(const QString& text, QWidget* parent, const QString& name) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

void SetText(QLineEdit* edit, const std::string& text) {
  const QString value = QString::fromStdString(text);
  if (edit->text() == value) return;
  const QSignalBlocker block(edit);
  edit->setText(value);
}

}  // namespace

CDebugView::CDebugView(RegisterDebuggerPanel& panel, QWidget* parent) : QWidget(parent), panel_(panel) {
  setObjectName(QStringLiteral("DebugView"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->setSpacing(4);

  // First row: the register and its value as text, the commands.
  auto* top = new QHBoxLayout;
  top->setSpacing(6);
  registers_ = new QComboBox(this);
  registers_->setObjectName("Register");
  for (int reg = 0; reg < RegisterDebuggerPanel::kRegisters; ++reg)
    registers_->addItem(QString::fromStdString(RegisterDebuggerPanel::RegisterLabel(reg)));
  registers_->setMaxVisibleItems(16);
  hex_ = new QLineEdit(this);
  hex_->setObjectName("ValueHex");
  hex_->setMaxLength(static_cast<int>(RegisterDebuggerPanel::kHexLength));
  dec_ = new QLineEdit(this);
  dec_->setObjectName("ValueDec");
  dec_->setMaxLength(static_cast<int>(RegisterDebuggerPanel::kDecLength));
  for (QLineEdit* edit : {hex_, dec_}) {
    edit->setAlignment(Qt::AlignRight);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance("000000") + 14);
    edit->installEventFilter(this);
  }
  auto* hexLabel = new QLabel("Value (HEX)", this);
  auto* decLabel = new QLabel("Value (DEC)", this);
  top->addWidget(new QLabel("Register", this));
  top->addWidget(registers_);
  top->addSpacing(8);
  top->addWidget(hexLabel);
  top->addWidget(hex_);
  top->addSpacing(8);
  top->addWidget(decLabel);
  top->addWidget(dec_);
  top->addSpacing(12);
  auto* read = Button("READ", this, "Read");
  auto* write = Button("WRITE", this, "Write");
  auto* load = Button("LOAD FILE", this, "LoadFile");
  auto* save = Button("SAVE FILE", this, "SaveFile");
  for (QPushButton* button : {read, write, load, save}) top->addWidget(button);
  top->addStretch(1);
  layout->addLayout(top);

  // Second row: the 16 bits, bit 15 on the left, numbered above; the two AUTO boxes.
  auto* bottom = new QHBoxLayout;
  bottom->setSpacing(6);
  bottom->addWidget(new QLabel("Value (BIN)", this));
  auto* bitGrid = new QGridLayout;
  bitGrid->setHorizontalSpacing(1);
  bitGrid->setVerticalSpacing(0);
  const int bitWidth = fontMetrics().horizontalAdvance("00") + 12;
  for (int bit = RegisterDebuggerPanel::kBits - 1; bit >= 0; --bit) {
    const int column = RegisterDebuggerPanel::kBits - 1 - bit + (bit < 8 ? 1 : 0);  // a gap between the bytes
    auto* number = new QLabel(QString::number(bit), this);
    number->setAlignment(Qt::AlignCenter);
    QFont small = number->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    number->setFont(small);
    auto* button = Button("0", this, QString("Bit%1").arg(bit));
    button->setFixedWidth(bitWidth);
    button->setToolTip(QString("bit %1 (0x%2)").arg(bit).arg(1u << bit, 4, 16, QChar('0')));
    bits_[static_cast<std::size_t>(bit)] = button;
    bitGrid->addWidget(number, 0, column);
    bitGrid->addWidget(button, 1, column);
    connect(button, &QPushButton::clicked, this, [this, bit] { panel_.OnBitClicked(bit); });
  }
  bitGrid->setColumnMinimumWidth(8, 6);
  bottom->addLayout(bitGrid);
  bottom->addSpacing(12);
  autoRead_ = new QCheckBox("AUTO READ", this);
  autoRead_->setObjectName("AutoRead");
  autoWrite_ = new QCheckBox("AUTO WRITE", this);
  autoWrite_->setObjectName("AutoWrite");
  bottom->addWidget(autoRead_, 0, Qt::AlignBottom);
  bottom->addWidget(autoWrite_, 0, Qt::AlignBottom);
  bottom->addStretch(1);
  layout->addLayout(bottom);
  layout->addStretch(1);

  connect(registers_, &QComboBox::currentIndexChanged, this, [this](int index) { panel_.OnRegisterSelected(index); });
  connect(hex_, &QLineEdit::textChanged, this, [this](const QString& text) { panel_.OnHexTyped(text.toStdString()); });
  connect(dec_, &QLineEdit::textChanged, this, [this](const QString& text) { panel_.OnDecTyped(text.toStdString()); });
  connect(read, &QPushButton::clicked, this, [this] { panel_.OnRead(); });
  connect(write, &QPushButton::clicked, this, [this] { panel_.OnWrite(); });
  connect(load, &QPushButton::clicked, this, [this] { panel_.OnLoadFile(); });
  connect(save, &QPushButton::clicked, this, [this] { panel_.OnSaveFile(); });
  connect(autoRead_, &QCheckBox::toggled, this, [this](bool on) { panel_.SetAutoRead(on); });
  connect(autoWrite_, &QCheckBox::toggled, this, [this](bool on) { panel_.SetAutoWrite(on); });
  ShowValues();
}

bool CDebugView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
    const bool focused = event->type() == QEvent::FocusIn;
    if (watched == hex_) panel_.SetHexFocused(focused);
    if (watched == dec_) panel_.SetDecFocused(focused);
  }
  return QWidget::eventFilter(watched, event);
}

void CDebugView::ShowValues() {
  {
    const QSignalBlocker block(registers_);
    registers_->setCurrentIndex(panel_.Selected());
  }
  SetText(hex_, panel_.HexText());
  SetText(dec_, panel_.DecText());
  for (int bit = 0; bit < RegisterDebuggerPanel::kBits; ++bit) {
    QPushButton* button = bits_[static_cast<std::size_t>(bit)];
    const QString caption = panel_.BitCaption(bit);
    if (button->text() != caption) button->setText(caption);
  }
  for (auto [box, on] : {std::pair{autoRead_, panel_.AutoRead()}, std::pair{autoWrite_, panel_.AutoWrite()}}) {
    const QSignalBlocker block(box);
    box->setChecked(on);
  }
}

}  // namespace mirvo
