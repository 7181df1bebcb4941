#include "core/BrimQRFailure.h"

#include <QCoreApplication>

QString BrimQRFailure::description() const
{
    switch (m_case) {
    case payload: return QCoreApplication::translate("BrimQR", "Enter text up to 2,000 UTF-8 bytes.");
    case image: return QCoreApplication::translate("BrimQR", "Choose a supported image up to 30 MB and 40 megapixels.");
    case noCode: return QCoreApplication::translate("BrimQR", "No readable QR code was found in this image.");
    case system: break;
    }
    return m_detail;
}
