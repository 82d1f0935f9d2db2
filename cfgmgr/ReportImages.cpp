// Image lists: the caller's lists are lent to the list view and its header; the lists made here
// from bitmaps are owned, and taken back before the list view could destroy them.
#include "cfgmgr/ReportCtrl.h"

#include "framework/ResourceModule.h"

namespace {

HIMAGELIST HeaderImageList(HWND header) {
  return reinterpret_cast<HIMAGELIST>(SendMessageW(header, HDM_GETIMAGELIST, 0, 0));
}

}  // namespace

CReportCtrl::ImageList CReportCtrl::LoadImages(UINT bitmapId, COLORREF mask) {
  return ImageList(ImageList_LoadImageW(fw::GetResourceModule(), MAKEINTRESOURCEW(bitmapId), kImageWidth, 4, mask,
                                        IMAGE_BITMAP, LR_CREATEDIBSECTION));
}

HIMAGELIST CReportCtrl::SetImageList(HIMAGELIST images) {
  if (!IsWindow()) return nullptr;
  return reinterpret_cast<HIMAGELIST>(
      SendMessageW(GetHwnd(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images)));
}

HIMAGELIST CReportCtrl::GetImageList() const {
  if (!IsWindow()) return nullptr;
  return reinterpret_cast<HIMAGELIST>(SendMessageW(GetHwnd(), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
}

HIMAGELIST CReportCtrl::SetHeaderImageList(HIMAGELIST images) {
  HWND header = GetHeader();
  if (header == nullptr) return nullptr;
  return reinterpret_cast<HIMAGELIST>(
      SendMessageW(header, HDM_SETIMAGELIST, HDSIL_NORMAL, reinterpret_cast<LPARAM>(images)));
}

bool CReportCtrl::SetRowImages(UINT bitmapId, COLORREF mask) {
  if (!IsWindow()) return false;
  ImageList images = LoadImages(bitmapId, mask);
  if (!images) return false;
  SetImageList(images.get());
  HWND header = GetHeader();
  if (m_rowImages && header != nullptr && HeaderImageList(header) == m_rowImages.get()) {
    SetHeaderImageList(images.get());  // the header shared the old list
  }
  m_rowImages = std::move(images);  // the old list, shown nowhere now, goes
  return true;
}

bool CReportCtrl::SetHeaderImages(UINT bitmapId, COLORREF mask) {
  HWND header = GetHeader();
  if (header == nullptr) return false;
  ImageList images = LoadImages(bitmapId, mask);
  if (!images) return false;
  SetHeaderImageList(images.get());
  m_headerImages = std::move(images);
  return true;
}

bool CReportCtrl::SetHeaderImage(int column, int image, bool leftSide) {
  HWND header = GetHeader();
  if (header == nullptr) return false;
  if (HeaderImageList(header) == nullptr) SetHeaderImageList(GetImageList());
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  if (!SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item))) return false;
  item.mask = HDI_FORMAT | HDI_IMAGE;
  item.fmt |= HDF_IMAGE;
  if (leftSide) {
    item.fmt &= ~HDF_BITMAP_ON_RIGHT;
  } else {
    item.fmt |= HDF_BITMAP_ON_RIGHT;
  }
  item.iImage = image;
  return SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item)) != 0;
}

int CReportCtrl::GetHeaderImage(int column) const {
  HWND header = GetHeader();
  if (header == nullptr) return -1;
  HDITEMW item{};
  item.mask = HDI_IMAGE;
  if (!SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item))) return -1;
  return item.iImage;
}

void CReportCtrl::ReleaseImageLists() {
  if (IsWindow()) {
    // The list view destroys its own image lists unless shared: take ours back first.
    if (m_rowImages && GetImageList() == m_rowImages.get()) SetImageList(nullptr);
    HWND header = GetHeader();
    const HIMAGELIST shown = header != nullptr ? HeaderImageList(header) : nullptr;
    if (shown != nullptr && (shown == m_rowImages.get() || shown == m_headerImages.get())) SetHeaderImageList(nullptr);
  }
  m_rowImages.reset();
  m_headerImages.reset();
}
