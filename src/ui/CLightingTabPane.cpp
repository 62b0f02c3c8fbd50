#include "CLightingTabPane.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "Locks.h"
#include "MainDlgModel.h"
#include "PsControlAngle.h"
#include "UiStrings.h"

namespace {
constexpr int kLockTip = 1604;
constexpr short kAngleItem = 5;
constexpr short kPowerItem = 11;
// The light's power entries by channel, for their defaults.
constexpr std::string_view kPowerKeys[] = {"pLp0", "pLp1", "pLp2"};

int32_t* AngleH(ShadeParams& p, int channel) { return &p.LightAngleH[channel]; }
int32_t* AngleV(ShadeParams& p, int channel) { return &p.LightAngleV[channel]; }
}  // namespace

CLightingTabPane::CLightingTabPane(PaneOwner& owner)
    : CParamPane(owner, UiStringId::kTabLight, kLockLight, kLockTip) {
    UiStrings_Add({{kLockTip, "Lock the lighting entries: styles, lists and motion leave them as they are"}});
}

int CLightingTabPane::Channel() {
    const int32_t channel = Model().Ui().channel;
    // Every value but sub and ambient stands for the main light.
    return channel == kLightChannelSub || channel == kLightChannelAmbient ? channel : kLightChannelMain;
}

QRadioButton* CLightingTabPane::GetRadio(int channel) const { return radios_[channel]; }

void CLightingTabPane::Build(QVBoxLayout& layout) {
    auto* top = new QHBoxLayout;
    layout.addLayout(top);
    auto* radios = new QVBoxLayout;
    top->addLayout(radios);
    const struct {
        int channel;
        const char* label;
        const char* tip;
    } kRadios[] = {
        {kLightChannelMain, "Main light", "Edit the main light: its direction, power and shadow"},
        {kLightChannelSub, "Sub light", "Edit the second light: its direction, power and shadow"},
        {kLightChannelAmbient, "Ambient", "Edit the light that comes from everywhere"},
    };
    for (const auto& r : kRadios) {
        auto* radio = new QRadioButton(r.label, Content());
        radio->setObjectName(QString("Channel%1").arg(r.channel));
        radio->setToolTip(r.tip);
        radios_[r.channel] = radio;
        radios->addWidget(radio);
        connect(radio, &QRadioButton::clicked, this, [this, channel = r.channel] { ChooseChannel(channel); });
    }
    radios->addStretch();

    angle_ = new PsControlAngle(Content());
    angle_->setObjectName("LightAngle");
    angle_->setToolTip("Drag the point: around the centre turns the light, towards the rim lowers it");
    angle_->setFixedSize(128, 128);
    top->addWidget(angle_);
    auto* fields = new QGridLayout;
    top->addLayout(fields);
    auto* fieldH = new QLineEdit(Content());
    auto* fieldV = new QLineEdit(Content());
    fieldH->setObjectName("AngleHField");
    fieldV->setObjectName("AngleVField");
    fieldH->setToolTip("The light's direction around the relief, 0 to 360 degrees");
    fieldV->setToolTip("The light's vertical angle, 0 to 90 degrees; 0 is the centre of the disc, 90 its rim");
    for (QLineEdit* field : {fieldH, fieldV}) {
        field->setFixedWidth(46);
        field->setAlignment(Qt::AlignRight);
    }
    fields->addWidget(new QLabel("Direction", Content()), 0, 0);
    fields->addWidget(fieldH, 0, 1);
    fields->addWidget(new QLabel("Height", Content()), 1, 0);
    fields->addWidget(fieldV, 1, 1);
    fields->setRowStretch(2, 1);
    top->addStretch();

    ShadeParams& p = Owner().Params();
    PsControlAngle::Hooks hooks;
    hooks.beginChange = [this] { BeginChange(kAngleItem); };
    hooks.changed = [this](bool dragging) { Update(dragging); };
    hooks.gestureEnded = [this] { Owner().PaneGestureEnded(); };
    const int channel = Channel() == kLightChannelAmbient ? kLightChannelMain : Channel();
    angle_->Setup(AngleH(p, channel), AngleV(p, channel), 0, 360, 0, 90, fieldH, fieldV, std::move(hooks));

    auto* grid = new QGridLayout;
    layout.addLayout(grid);
    power_ = AddSlider(
        *grid, kPowerItem, "power",
        [this](ShadeParams& params) -> int32_t& { return params.LightPower[Channel()]; }, 0, 100,
        [this] { return PaneEntry(kPowerKeys[Channel()]).defaultValue; }, "Power", "How strong the chosen light is");

    auto* checks = new QHBoxLayout;
    layout.addLayout(checks);
    checks->addWidget(AddCheck(14, "pLem", "Main shadow", "The main light casts a shadow"));
    checks->addWidget(AddCheck(15, "pLes", "Sub shadow", "The sub light casts a shadow"));
    checks->addStretch();
    AddSliders(layout, {
        {17, "pLsw", "Shadow", "How dark the shadow is"},
        {20, "pLsf", "Shadow blur", "How soft the shadow's edge is"},
        {23, "pLsd", "Shadow distance", "How far the shadow falls from the relief"},
    });
}

void CLightingTabPane::ChooseChannel(int channel) {
    Model().Ui().channel = channel;
    ShowSpecial();
    EnableSpecial(IsLocked());
}

void CLightingTabPane::ShowSpecial() {
    const int channel = Channel();
    for (int c = 0; c < 3; ++c) radios_[c]->setChecked(c == channel);
    // The ambient light has no direction: the disc keeps showing the main
    // light, disabled.
    const int directed = channel == kLightChannelAmbient ? kLightChannelMain : channel;
    ShadeParams& p = Owner().Params();
    angle_->ChangeValueReference(AngleH(p, directed), AngleV(p, directed));
    power_->ShowEntry();
}

void CLightingTabPane::EnableSpecial(bool locked) {
    angle_->EnableWindow(!locked && Channel() != kLightChannelAmbient);
}

void CLightingTabPane::ClearSpecial() {
    angle_ = nullptr;
    power_ = nullptr;
    for (QRadioButton*& radio : radios_) radio = nullptr;
}
