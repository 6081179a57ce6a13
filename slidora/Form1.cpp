#include "slidora/Form1.h"

#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Keys.h"
#include "platform/mci/Mci.h"
#include "platform/vb/Convert.h"
#include "platform/win/End.h"
#include "platform/win/FileSearch.h"
#include "platform/win/Twips.h"
#include "slidora/ComDlg.h"
#include "slidora/MediaFile.h"
#include "slidora/ProgramFolder.h"
#include "slidora/Screenshot.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QRandomGenerator>

#include <cmath>

namespace slidora {

namespace {

const QString kVideoPattern = "*.avi;*.mpg;*.mpeg;*.asf;*.wmv;*.mov";
const QString kAllMediaPattern =
    "*.mp3;*.mp2;*.mp1;*.wav;*.asx;*.rm;*.ra;*.mid;*.rmi;*.xmi;*.avi;*.mpg;*.mpeg;*.asf;*.wmv;"
    "*.mov;*.mpe;*.pls;*.dat;*.vcd;*.voc;*.au;*.wma;*.part";
const QString kPicturePattern = "*.bmp;*.dib;*.gif;*.jpg;*.jpe;*.jpeg;*.ico;*.cur;*.wmf;*.emf";
const QString kAllVideoPattern = "*.avi;*.mpg;*.mpeg;*.asf;*.wmv;*.mov;*.mpe";

// The control band across the top of the window, and the picture area below it.
constexpr int kPictureTop = 855;
constexpr int kInitialWidth = 9735;
constexpr int kInitialHeight = 5130;

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

long Floor(double value)
{
    return long(std::floor(value));
}

} // namespace

Form1::Form1()
{
    setObjectName("Form1");
    File1 = new FileListBox("File1", this);
    PicVolume = new PictureBox("PicVolume", this);
    PicProgress = new PictureBox("PicProgress", this);
    Command1 = new forms::CommandButton("Command1", "Changer de dossier", this);
    Command3 = new forms::CommandButton("Command3", "<", this);
    Command5 = new forms::CommandButton("Command5", "||", this);
    Command4 = new forms::CommandButton("Command4", ">", this);
    for (int i = 0; i < 3; ++i)
        CMspeed[std::size_t(i)] =
            new forms::CommandButton(QString("CMspeed(%1)").arg(i), QString(), this);
    Command2 = new forms::CommandButton("Command2", "STOP", this);
    Label1 = new forms::Label("Label1", QString(), this);
    Label2 = new forms::Label("Label2", QString(), this);
    Check1 = new forms::CheckBox("Check1", "Son off", this);
    Check2 = new forms::CheckBox("Check2", "On top", this);
    Check3 = new forms::CheckBox("Check3", "Resize", this);
    Check4 = new forms::CheckBox("Check4", "Proportion", this);
    Command6 = new forms::CommandButton("Command6", "Capture fichier", this);
    Command7 = new forms::CommandButton("Command7", "Capture presse papier", this);
    Picture1 = new PictureBox("Picture1", this);
    AffBMP = new QLabel(Picture1);
    AffBMP->setObjectName("AffBMP");
    AffBMP->hide();
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(250);

    forms::MoveTwips(*File1, 0, 0, 2295, 744);
    forms::MoveTwips(*PicVolume, 2280, 0, 120, 735);
    forms::MoveTwips(*PicProgress, 2280, 720, 4695, 135);
    forms::MoveTwips(*Command1, 2400, 0, 1695, 375);
    forms::MoveTwips(*Command3, 2400, 360, 735, 375);
    forms::MoveTwips(*Command5, 3135, 360, 255, 375);
    forms::MoveTwips(*Command4, 3385, 360, 700, 375);
    for (int i = 0; i < 3; ++i)
        forms::MoveTwips(*CMspeed[std::size_t(i)], 4080, 360 + 120 * i, 135, 135);
    forms::MoveTwips(*Command2, 4095, 0, 840, 375);
    forms::MoveTwips(*Label1, 4185, 480, 2775, 255);
    forms::MoveTwips(*Label2, 5025, 240, 1935, 255);
    forms::MoveTwips(*Check1, 5040, 0, 855, 255);
    forms::MoveTwips(*Check2, 6000, 0, 855, 255);
    forms::MoveTwips(*Check3, 7080, 0, 855, 255);
    forms::MoveTwips(*Check4, 7080, 240, 1095, 255);
    forms::MoveTwips(*Command6, 8280, 0, 1335, 255);
    forms::MoveTwips(*Command7, 8280, 240, 1335, 495);
    forms::MoveTwips(*Picture1, 0, kPictureTop, kInitialWidth - 120, kInitialHeight - 1230);
    Picture1->lower();

    connect(File1, &FileListBox::DblClick, this, &Form1::File1_DblClick);
    forms::OnKeyPress(File1, [this](int& keyAscii) { File1_KeyPress(keyAscii); });
    forms::OnKeyUp(File1, [this](int& keyCode, int shift) { File1_KeyUp(keyCode, shift); });
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    for (int i = 0; i < 3; ++i)
        connect(CMspeed[std::size_t(i)], &QPushButton::clicked, this,
                [this, i] { CMspeed_Click(i); });
    connect(Check1, &forms::CheckBox::Click, this, &Form1::Check1_Click);
    connect(Check2, &forms::CheckBox::Click, this, &Form1::Check2_Click);
    connect(Check3, &forms::CheckBox::Click, this, &Form1::Check3_Click);
    connect(Check4, &forms::CheckBox::Click, this, &Form1::Check4_Click);
    connect(Label1, &forms::Label::DblClick, this, &Form1::Label1_DblClick);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Picture1, &PictureBox::MouseUp, this,
            [this](Qt::MouseButton button, Qt::MouseButtons, double, double) {
                Picture1_MouseUp(button);
            });
    connect(PicVolume, &PictureBox::MouseDown, this,
            [this](Qt::MouseButton button, Qt::MouseButtons, double, double y) {
                PicVolume_MouseDown(button, y);
            });
    connect(PicVolume, &PictureBox::MouseMove, this,
            [this](Qt::MouseButtons held, double, double y) { PicVolume_MouseMove(held, y); });
    connect(PicVolume, &PictureBox::MouseUp, this,
            [this](Qt::MouseButton button, Qt::MouseButtons, double, double y) {
                PicVolume_MouseUp(button, y);
            });
    connect(PicProgress, &PictureBox::MouseDown, this,
            [this](Qt::MouseButton button, Qt::MouseButtons, double x, double) {
                PicProgress_MouseDown(button, x);
            });
    connect(PicProgress, &PictureBox::MouseMove, this,
            [this](Qt::MouseButtons held, double x, double) { PicProgress_MouseMove(held, x); });
    connect(
        PicProgress, &PictureBox::MouseUp, this,
        [this](Qt::MouseButton, Qt::MouseButtons, double x, double) { PicProgress_MouseUp(x); });

    SetCaption("Slidora navigateur - beta");
    File1->SetPattern(kVideoPattern);
    File1->SetPath(ProgramFolder());
    SetWidth(kInitialWidth);
    SetHeight(kInitialHeight);
}

Form1::~Form1()
{
    CloseDevice();
}

void Form1::Mci(const QString& command)
{
    mci::SendString(Utf8(command));
}

QString Form1::Mci(const QString& command, int bufferLength)
{
    std::string answer;
    mci::SendString(Utf8(command), answer, std::size_t(bufferLength));
    return QString::fromStdString(answer);
}

void Form1::CloseDevice()
{
    if (!playing_)
        return;
    playing_ = false;
    Mci("stop " + alias_);
    Mci("close " + alias_);
}

void Form1::Form_Load()
{
    alias_ = QString::number(QRandomGenerator::global()->bounded(100)) + "Aform";
    startColour_ = QColor(0, 128, 0);
    endColour_ = QColor(128, 255, 255);
    Label2->SetCaption(FormatTime(0));
    LoadFourCCTable();
    InitVolumeBar();
    Timer1->start();
}

void Form1::Form_Activate()
{
    OpenSelected();
}

void Form1::Form_Unload(int&)
{
    Timer1->stop();
    CloseDevice();
}

void Form1::OpenSelected()
{
    CloseDevice();
    const QString folder = ProgramFolder();
    const auto found = win::FindFileIgnoringCase(Utf8(folder), "zad.wmv");
    OpenAndPlay(found ? QString::fromStdString(*found) : folder + "/zad.wmv");
}

void Form1::File1_DblClick()
{
    OpenSelected();
}

void Form1::File1_KeyPress(int& keyAscii)
{
    if (keyAscii == forms::vbKeyReturn)
        OpenSelected();
}

void Form1::File1_KeyUp(int& keyCode, int)
{
    switch (keyCode) {
    case forms::vbKeyF10:
        File1->SetPattern(kAllMediaPattern);
        break;
    case forms::vbKeyF8:
        File1->SetPattern(kPicturePattern);
        break;
    case forms::vbKeyF9:
        File1->SetPattern(kAllVideoPattern);
        break;
    case forms::vbKeyF5:
        File1->Refresh();
        break;
    default:
        break;
    }
}

void Form1::OpenAndPlay(const QString& path)
{
    Label1->SetCaption("Chargement de " + File1->List(File1->ListIndex()));
    forms::DoEvents();
    if (ItIsAPic(Utf8(path))) {
        AffBMP->hide();
        AffBMP->setScaledContents(false);
        AffBMP->setPixmap(QPixmap(path));
        BMPresize();
        AffBMP->show();
        return;
    }
    AffBMP->hide();
    Mci("open MPEGVideo!" + GetShortName(path) + " alias " + alias_ + " parent " +
        QString::number(mci::WindowHandle(Picture1)) + " Style " + QString::number(1073741824));
    forms::DoEvents();
    MediaInfo(path);
    FitVideoWindow();
    Mci("play " + alias_ + " from 0");
    playing_ = true;
    paused_ = false;
    Command5->setText("||");
    ApplySound();
    Mci("set " + alias_ + " time format milliseconds", 128);
    length_ = std::int32_t(std::lround(vb::Val(Utf8(Mci("status " + alias_ + " length", 128)))));
    InitProgressBar();
    Label1->SetCaption(infoText_ + " - " + FormatTime(length_));
}

QString Form1::GetShortName(const QString& path)
{
    // Paths here have no short form; a path with blanks is quoted so that the
    // command still reads it as one word.
    return path.contains(' ') ? '"' + path + '"' : path;
}

void Form1::PlayFrom(long ms)
{
    if (!playing_)
        return;
    Mci("stop " + alias_);
    forms::DoEvents();
    Mci("play " + alias_ + " from " + QString::number(ms));
}

void Form1::ApplySound()
{
    if (Check1->Value() == 1)
        Mci("set " + alias_ + " audio all off");
    else if (Check1->Value() == 0)
        Mci("set " + alias_ + " audio all on");
}

void Form1::SetTopmost()
{
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void Form1::ClearTopmost()
{
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
}

QString Form1::FormatTime(long ms)
{
    long s = Floor(ms / 1000.0);
    long m = Floor(s / 60.0);
    s -= 60 * m;
    const long h = Floor(m / 60.0);
    m -= 60 * h;
    const long milliseconds = ms - 1000 * Floor(ms / 1000.0);
    return QString("%1:%2:%3.%4")
        .arg(h)
        .arg(m, 2, 10, QChar('0'))
        .arg(s, 2, 10, QChar('0'))
        .arg(milliseconds, 3, 10, QChar('0'));
}

void Form1::Timer1_Timer()
{
    if (!playing_)
        return;
    const long position =
        std::lround(vb::Val(Utf8(Mci("status " + alias_ + " position notify", 32))));
    Label2->SetCaption(FormatTime(position));
    DrawProgressBar(position);
    // The end of the media ends the program; a paused media never does, also
    // when it was moved to its very end.
    if (position == length_ && !paused_)
        win::End(0);
}

// "||" / "|>": pauses the media playing, or plays on from where it was paused.
void Form1::Command5_Click()
{
    if (!playing_)
        return;
    if (paused_) {
        Mci("play " + alias_);
        Command5->setText("||");
        paused_ = false;
    } else {
        Mci("stop " + alias_);
        Command5->setText("|>");
        paused_ = true;
    }
}

// A left click on the picture pauses or plays on, as "||" does.
void Form1::Picture1_MouseUp(Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        Command5_Click();
}

// "STOP": closes the media, empties the progress bar and hides the picture shown.
void Form1::Command2_Click()
{
    if (playing_) {
        CloseDevice();
        ClearProgressBar();
        Label2->SetCaption(FormatTime(0));
    }
    AffBMP->hide();
    AffBMP->clear();
}

// "<": opens the file before the selected one in the list; the first has none.
void Form1::Command3_Click()
{
    if (File1->ListIndex() >= 1) {
        File1->SetListIndex(File1->ListIndex() - 1);
        OpenSelected();
    }
}

// ">": opens the file after the selected one, the first after the last.
void Form1::Command4_Click()
{
    const int count = File1->ListCount();
    if (count == 0)
        return;
    const int index = File1->ListIndex();
    File1->SetListIndex(index < count - 1 ? index + 1 : 0);
    OpenSelected();
}

// The three speed buttons: half, normal and double speed of a media playing.
void Form1::CMspeed_Click(int index)
{
    if (!playing_ || paused_)
        return;
    static const char* speeds[] = {"500", "1000", "2000"};
    Mci("set " + alias_ + " speed " + speeds[index]);
}

// "Son off": mutes the media playing, or gives it its sound back.
void Form1::Check1_Click()
{
    if (playing_)
        ApplySound();
}

// "On top": keeps the window above the others, or lets it go.
void Form1::Check2_Click()
{
    if (Check2->Value() == 1)
        SetTopmost();
    else if (Check2->Value() == 0)
        ClearTopmost();
}

// "Resize": the video and the picture fill the window when ticked, keep their own size when not.
void Form1::Check3_Click()
{
    FitVideoWindow();
    BMPresize();
}

// "Proportion": the video and the picture fitted to the window keep their proportions or not.
void Form1::Check4_Click()
{
    FitVideoWindow();
    BMPresize();
}

// "Changer de dossier": lists the media of another folder and names it in the title.
void Form1::Command1_Click()
{
    const QString folder = BrowseForFolder("Dossier contenant des vidéos");
    if (folder.isEmpty())
        return;
    File1->SetPath(folder);
    SetCaption("Navigation dans " + folder);
}

// A double click on the codec label tells about the four-character code it shows.
void Form1::Label1_DblClick()
{
    ShowFourCCInfo(Label1->Caption().left(4));
}

void Form1::Form_Resize()
{
    const int width = Width();
    if (width != previousWidth_) {
        if (width - 120 >= 0)
            forms::SetWidthTwips(*Picture1, width - 120);
        if (width - 2400 >= 0)
            forms::SetWidthTwips(*PicProgress, width - 2400);
        InitProgressBar();
    }
    if (Height() - 1230 >= 0)
        forms::SetHeightTwips(*Picture1, Height() - 1230);
    FitVideoWindow();
    BMPresize();
    previousWidth_ = width;
}

void Form1::InitVolumeBar()
{
    PicVolume->SetScale(0, 0, 1, 1);
    PicVolume->Cls();
    PicVolume->FillBox(0, 0, 1, 1, startColour_);
}

void Form1::DrawVolumeBar(double fraction)
{
    PicVolume->Cls();
    PicVolume->FillBox(0, 0, 1, fraction, startColour_);
    Mci("setaudio " + alias_ + " volume to " + QString::number(Floor(fraction * 1000)));
}

void Form1::PicVolume_MouseDown(Qt::MouseButton button, double y)
{
    if (button == Qt::LeftButton)
        DrawVolumeBar(y);
}

void Form1::PicVolume_MouseMove(Qt::MouseButtons held, double y)
{
    if (held & Qt::LeftButton)
        DrawVolumeBar(y);
}

void Form1::PicVolume_MouseUp(Qt::MouseButton button, double y)
{
    if (button == Qt::LeftButton)
        DrawVolumeBar(std::max(y, 0.0));
}

void Form1::InitProgressBar()
{
    if (length_ == 0)
        length_ = 1000;
    PicProgress->SetScale(0, 0, length_, 1);
    PicProgress->Cls();
    PicProgress->FillBox(0, 0, 1, 1, startColour_);
}

void Form1::DrawProgressBar(long ms)
{
    PicProgress->Cls();
    PaintProgress(ms);
}

void Form1::ClearProgressBar()
{
    PicProgress->Cls();
}

void Form1::PaintProgress(long ms)
{
    const int columns = win::TwipsToPixels(forms::WidthTwips(*PicProgress));
    if (columns <= 0 || length_ <= 0)
        return;
    const double step = double(length_) / columns;
    for (double x = ms; x >= 0; x -= step)
        PicProgress->FillBox(0, 0, x, 1, MixColor(x / length_));
}

QColor Form1::MixColor(double f) const
{
    if (f >= 1)
        return endColour_;
    auto mix = [f](int end, int start) { return int(std::nearbyint(end * f + start * (1 - f))); };
    return QColor(mix(endColour_.red(), startColour_.red()),
                  mix(endColour_.green(), startColour_.green()),
                  mix(endColour_.blue(), startColour_.blue()));
}

void Form1::PicProgress_MouseDown(Qt::MouseButton button, double x)
{
    (void)button;
    Timer1->stop();
    const long p = Floor(x);
    if (playing_ && !paused_) {
        DrawProgressBar(p);
        PlayFrom(p);
    } else if (playing_ && paused_) {
        DrawProgressBar(p);
        Mci("stop " + alias_);
    }
}

void Form1::PicProgress_MouseMove(Qt::MouseButtons held, double x)
{
    if ((held & Qt::LeftButton) && playing_) {
        dragging_ = true;
        const long p = Floor(x);
        DrawProgressBar(p);
        if (!paused_)
            Mci("seek " + alias_ + " to " + QString::number(p));
    } else {
        dragging_ = false;
    }
}

void Form1::PicProgress_MouseUp(double x)
{
    const long p = Floor(x);
    if (playing_ && paused_) {
        DrawProgressBar(p);
        Mci("seek " + alias_ + " to " + QString::number(p));
    } else if (playing_ && dragging_) {
        PlayFrom(p);
    }
    Timer1->start();
}

void Form1::MediaInfo(const QString& path)
{
    std::string type;
    ReadHeaderInfo(Utf8(path), type, videoWidth_, videoHeight_);
    if (videoWidth_ < 2 && videoHeight_ < 2) {
        QString answer = Mci("where " + alias_ + " destination", 128);
        answer = answer.left(answer.indexOf(QChar('\0'))).trimmed();
        if (answer.size() > 1) {
            const int last = answer.lastIndexOf(' ');
            const int before = last > 0 ? answer.lastIndexOf(' ', last - 1) : -1;
            videoHeight_ = std::int16_t(vb::Val(Utf8(answer.mid(last + 1))));
            videoWidth_ = std::int16_t(vb::Val(Utf8(answer.mid(before + 1, last - before - 1))));
        }
    }
    infoText_ = QString::fromLatin1(ShownType(type)) + " [" + QString::number(videoWidth_) + "x" +
                QString::number(videoHeight_) + "]";
}

void Form1::FitVideoWindow()
{
    const int w = win::TwipsToPixels(forms::WidthTwips(*Picture1));
    const int h = win::TwipsToPixels(forms::HeightTwips(*Picture1));
    const QString size = " 0 0 " + QString::number(w) + " " + QString::number(h);
    Mci("put " + alias_ + " window at" + size);
    Mci("put " + alias_ + " destination at" + size);
    captureWidth_ = w;
    captureHeight_ = h;
}

void Form1::BMPresize()
{
    AffBMP->setScaledContents(false);
    const QSize natural = AffBMP->pixmap().size();
    AffBMP->setGeometry(0, 0, natural.width(), natural.height());
    if (Check3->Value() != 1 || natural.isEmpty())
        return;
    const int pw = Picture1->width();
    const int ph = Picture1->height();
    AffBMP->setScaledContents(true);
    if (Check4->Value() == 1) {
        const double a = double(natural.width()) / natural.height();
        const int h = int(std::floor(pw / a));
        if (h > ph)
            AffBMP->resize(int(std::floor(ph * a)), ph);
        else
            AffBMP->resize(pw, h);
    } else {
        AffBMP->resize(pw, ph);
    }
}

void Form1::LoadFourCCTable()
{
    fourCC_.clear();
    const auto found = win::FindFileIgnoringCase(Utf8(ProgramFolder()), "fourcc.txt");
    if (found)
        fourCC_ = ReadFourCCTable(QString::fromStdString(*found));
}

void Form1::ShowFourCCInfo(const QString& code)
{
    if (code.size() < 4)
        return;
    if (const FourCCRecord* record = FindFourCC(fourCC_, code)) {
        forms::MsgBox("Code : " + code + "\r\nNom complet : " + record->fullName +
                          "\r\nCréateur : " + record->creator,
                      forms::vbInformation, "Information FourCC");
    } else {
        forms::MsgBox("Code FOURCC inconnu.", forms::vbExclamation, "FourCC information");
    }
}

void Form1::Command6_Click()
{
    if (!playing_)
        return;
    CaptureDC(Picture1, filePicture_, captureWidth_, captureHeight_);
    QString path =
        SaveFileDialog(this, "Fichier bitmap de la capture...", "Fichiers BMP (*.bmp)|*.bmp|");
    if (path.isEmpty())
        return;
    if (path.right(4).toLower() != ".bmp") {
        path += ".bmp";
        // The chooser asked about the name it was given, not about this one.
        if (QFileInfo::exists(path) &&
            forms::MsgBox("Le fichier " + path + " existe déjà.\r\nVoulez-vous le remplacer ?",
                          forms::vbYesNo + forms::vbExclamation + forms::vbDefaultButton2,
                          "Fichier bitmap de la capture...") != forms::vbYes)
            return;
    }
    if (!filePicture_.save(path, "BMP"))
        forms::MsgBox("Impossible d'enregistrer la capture dans " + path + ".",
                      forms::vbExclamation, "Fichier bitmap de la capture...");
}

void Form1::Command7_Click()
{
    if (!playing_)
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    CaptureDC(Picture1, clipboardPicture_, captureWidth_, captureHeight_);
    clipboard->setImage(clipboardPicture_);
}

} // namespace slidora
