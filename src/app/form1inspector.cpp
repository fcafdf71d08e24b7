// The pixel inspector: clicks and arrow keys on the picture box, the read-out and the marker.

#include "form1.h"

#include "app/texts.h"
#include "inspector/inspector.h"
#include "picture/picturebox.h"

void Form1::PicBOX_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, float x, float y)
{
    if (picfile.isEmpty()) {
        setStatus(Texts::noPictureForInspector.toString());
        return;
    }
    const std::optional<Selection> selection = clickSelection(x, y);
    if (!selection)
        return;
    posx = selection->posx;
    posy = selection->posy;
    showPixelInfo();
    PicBOX->Shape_Position.Visible = true;
    placeMarker();
}

void Form1::PicBOX_KeyUp(int keyCode, Qt::KeyboardModifiers)
{
    if (picfile.isEmpty())
        return;
    if (const std::optional<Selection> selection = stepSelection({posx, posy}, keyCode)) {
        posx = selection->posx;
        posy = selection->posy;
    }
    showPixelInfo();
    placeMarker();
}

void Form1::showPixelInfo()
{
    setStatus(readoutText(posx, posy, PicBOX->surface().ScaleWidth()));
}

void Form1::placeMarker()
{
    PicBOX->Shape_Position.Left = float(8 * byteColumn(posx));
    PicBOX->Shape_Position.Top = posy;
    PicBOX->update();
}
