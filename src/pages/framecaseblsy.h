#pragma once

#include "case/casepage.h"

#include <QDateTime>
#include <QImage>

class PrintJob;
class QAction;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QSpinBox;
class QTableWidget;

// The front page of the case window: the patient's particulars from the case
// object, the photograph and two reference pictures of the case row (stored
// the moment they change), the earlier diagnoses, and its printout on one sheet.
class Tm_FrameCaseBLSY : public TCasePage
{
    Q_OBJECT

public:
    explicit Tm_FrameCaseBLSY(QWidget *parent = nullptr);

    void AttachCase(TCaseObject &caseObject, const CUserSecurityData &user) override;
    void StoreToCase(TCaseObject &caseObject) override;
    bool PrintPage() override;

    // Draws the page on a begun job; PrintPage shows it in the print preview.
    void RenderPage(PrintJob &job);

    static constexpr int kDiagnosisRows = 6;

    // The page's controls live on this panel, which is disabled without the
    // right to edit (the case window enables and disables the page itself).
    QWidget *m_Panel_Content;
    QLabel *m_Label_RightHint;

    QLineEdit *m_BLSY_XM;
    QComboBox *m_BLSY_XB;
    QDateEdit *m_BLSY_CSRQ;
    QLineEdit *m_BLSY_NL;
    QComboBox *m_BLSY_WHCD;
    QComboBox *m_BLSY_HY;
    QComboBox *m_BLSY_MZ;
    QLineEdit *m_BLSY_GJ;
    QLineEdit *m_BLSY_JG;
    QLineEdit *m_BLSY_ZY;
    QLineEdit *m_BLSY_GZDW;
    QLineEdit *m_BLSY_DWDH;
    QLineEdit *m_BLSY_JTDZ;
    QLineEdit *m_BLSY_LXDH;
    QLineEdit *m_BLSY_SFZ;
    QLineEdit *m_BLSY_YZBM;
    QLineEdit *m_BLSY_LXR;
    QLineEdit *m_BLSY_LXRGX;
    QLineEdit *m_BLSY_LXRDZ;
    QLineEdit *m_BLSY_LXRDH;
    QLineEdit *m_BLSY_ZYZD;
    QLineEdit *m_BLSY_ZYZD_ICD10;
    QTableWidget *m_BLSY_LCZDQK;
    QLineEdit *m_BLSY_JWS;
    QLineEdit *m_BLSY_GMYW;
    QComboBox *m_BLSY_XX;
    QLineEdit *m_BLSY_NBBM;
    QLineEdit *m_BLSY_GRS;
    QLineEdit *m_BLSY_JZS;
    QSpinBox *m_BLSY_smokecount;
    QSpinBox *m_BLSY_smokekeepmonth;
    QComboBox *m_BLSY_XYDateunit;
    QSpinBox *m_BLSY_drinkcount;
    QSpinBox *m_BLSY_drinkkeepmonth;
    QComboBox *m_BLSY_YJDateunit;
    QLabel *m_BLSY_ZP;
    QLabel *m_Image_1;
    QLabel *m_Image_2;

    QMenu *m_PopupMenu_Picture;
    QAction *m_Menu_ImportPicture;
    QAction *m_Menu_ExportPicture;
    QAction *m_Menu_DeletePicture;
    QMenu *m_PopupMenu_Image1;
    QAction *MenuItem1;
    QAction *MenuItem2;
    QAction *MenuItem3;
    QAction *N2;
    QMenu *m_PopupMenu_Image2;
    QAction *MenuItem6;
    QAction *MenuItem7;
    QAction *MenuItem8;
    QAction *N11;

    // The pictures as decoded, null when there is none.
    QImage photograph() const { return m_pictures[0]; }
    QImage referencePicture(int index) const { return m_pictures[1 + index]; }

    // The file a picture is handed to the external viewer in: in a private
    // folder of this run, removed when the program ends.
    static QString viewerFile();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // 0 the photograph, 1 and 2 the reference pictures.
    struct PictureTexts {
        QString importTitle, exportTitle, nothing, deleteQuestion, nothingToView;
    };
    PictureTexts picturesTexts(int which) const;
    QLabel *pictureLabel(int which) const;

    QWidget *buildContent();
    void buildMenus();
    void watchForFocusAndEnter(QWidget *control);
    void showPicture(int which, const QImage &image);
    bool storePicture(int which, const QImage *image);
    void importPicture(int which);
    void exportPicture(int which);
    void deletePicture(int which);
    void viewPicture(int which);
    void editDiagnoses();
    void birthdayChanged();
    void fillControls(const TCaseObject &c);
    static void showDuration(QSpinBox *spin, QComboBox *unit, int months);
    static int durationMonths(const QSpinBox *spin, const QComboBox *unit);

    QString caseNumberText() const;
    bool mayEdit() const;

    QImage m_pictures[3];
    // The birthday as stored and the day the picker showed for it: an
    // unchanged picker writes the stored value back untouched.
    double m_storedBirthday = 0;
    QDate m_shownBirthday;
};
