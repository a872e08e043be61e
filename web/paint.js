// Paints the operations of a frame (web/htmlcanvas.h names them) on a canvas's 2-D context, as
// Cairo paints the same shapes in the pictures: screen units -1 ... +1 across the canvas, y up.
"use strict";

const FONT = "'Nimbus Sans', Helvetica, Arial, sans-serif";  // Helvetica's widths
const TEXT_GREY = 0.2 * 0.2;  // the window's lit text colour

// A colour of 0 ... 1 parts as the canvas takes it.
function rgb(r, g, b) {
  const c = (v) => Math.round(v * 255);
  return `rgb(${c(r)},${c(g)},${c(b)})`;
}

function paintFrame(ctx, ops, textBytes) {
  const w = ctx.canvas.width, h = ctx.canvas.height;
  const decoder = new TextDecoder();
  ctx.setTransform(w / 2, 0, 0, -h / 2, w / 2, h / 2);
  ctx.lineCap = "butt";
  ctx.lineJoin = "round";
  ctx.beginPath();
  for (let i = 0; i < ops.length;) {
    switch (ops[i++]) {
      case 0:  // Clear
        ctx.save();
        ctx.resetTransform();
        ctx.fillStyle = "#fff";
        ctx.fillRect(0, 0, w, h);
        ctx.restore();
        break;
      case 1:  // Move
        ctx.moveTo(ops[i], ops[i + 1]);
        i += 2;
        break;
      case 2:  // Line
        ctx.lineTo(ops[i], ops[i + 1]);
        i += 2;
        break;
      case 3:  // Arc
        ctx.arc(ops[i], ops[i + 1], ops[i + 2], ops[i + 3], ops[i + 4], ops[i + 5] !== 0);
        i += 6;
        break;
      case 4:  // Close
        ctx.closePath();
        break;
      case 5:  // Fill
        ctx.fillStyle = rgb(ops[i], ops[i + 1], ops[i + 2]);
        ctx.fill();
        ctx.beginPath();
        i += 3;
        break;
      case 6: {  // Stroke, its width in pixels whatever the transform
        ctx.strokeStyle = rgb(ops[i + 1], ops[i + 2], ops[i + 3]);
        const m = ctx.getTransform();
        ctx.resetTransform();
        ctx.lineWidth = ops[i];
        ctx.stroke();
        ctx.setTransform(m);
        ctx.beginPath();
        i += 4;
        break;
      }
      case 7:  // Save
        ctx.save();
        break;
      case 8:  // Restore
        ctx.restore();
        break;
      case 9:  // Translate
        ctx.translate(ops[i], ops[i + 1]);
        i += 2;
        break;
      case 10:  // Rotate
        ctx.rotate(ops[i]);
        i += 1;
        break;
      case 11:  // Rect
        ctx.rect(ops[i], ops[i + 1], ops[i + 2], ops[i + 3]);
        i += 4;
        break;
      case 12: {  // Text, in pixels from its point on the canvas
        const m = ctx.getTransform();
        const x = m.a * ops[i] + m.c * ops[i + 1] + m.e, y = m.b * ops[i] + m.d * ops[i + 1] + m.f;
        const at = ops[i + 3];
        ctx.resetTransform();
        ctx.font = `${ops[i + 2]}px ${FONT}`;
        ctx.fillStyle = rgb(TEXT_GREY, TEXT_GREY, TEXT_GREY);
        ctx.fillText(decoder.decode(textBytes.subarray(at, at + ops[i + 4])), x, y);
        ctx.setTransform(m);
        ctx.beginPath();
        i += 5;
        break;
      }
      default:
        throw new Error(`paintFrame: unknown operation ${ops[i - 1]}`);
    }
  }
}
