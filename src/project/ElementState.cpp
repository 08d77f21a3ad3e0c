#include "project/ElementState.h"

#include "project/BoardModel.h"
#include "project/ObjectLabel.h"

ElementState ElementState::of(const BoardElement& element)
{
    ElementState state;
    state.kind = element.kind();
    state.sequence = element.sequence();
    state.name = element.objectName();
    state.tag = element.tag();
    state.hint = element.hint();
    state.geometry = element.geometry();
    state.visible = element.isVisible();
    state.missingFromFile = element.missingFromFile();
    if (element.kind() == BoardElement::Kind::Shape) {
        const auto& shape = static_cast<const ObjectShape&>(element);
        state.shapeKind = shape.shapeKind();
        state.brushStyle = shape.brushStyle();
        state.brushColor = shape.brushColor();
    } else {
        const auto& label = static_cast<const ObjectLabel&>(element);
        state.caption = label.caption();
        state.font = label.font();
        state.fontColor = label.fontColor();
        state.storedFontHeight = label.storedFontHeight();
    }
    return state;
}

BoardElement* ElementState::apply(BoardModel& model) const
{
    BoardElement* element = sequence ? model.elementWithSequence(sequence) : nullptr;
    if (element && element->kind() != kind)
        return nullptr;
    if (!element) {
        if (kind == BoardElement::Kind::Shape)
            element = new ObjectShape(model, sequence);
        else
            element = new ObjectLabel(model, sequence);
    }
    element->setObjectName(name);
    element->setTag(tag);
    element->setHint(hint);
    if (kind == BoardElement::Kind::Shape) {
        auto* shape = static_cast<ObjectShape*>(element);
        shape->setShapeKind(shapeKind);
        shape->setBrushStyle(brushStyle);
        shape->setBrushColor(brushColor);
    } else {
        auto* label = static_cast<ObjectLabel*>(element);
        label->setFont(font);
        label->keepStoredFontHeight(storedFontHeight);
        label->setFontColor(fontColor);
        label->setText(caption);
    }
    // After the text and font, which may size a caption.
    element->setGeometry(geometry);
    element->setVisible(visible);
    element->setMissingFromFile(missingFromFile);
    return element;
}

void ElementState::remove(BoardModel& model) const
{
    BoardElement* element = model.elementWithSequence(sequence);
    if (element && element->kind() == kind)
        delete element;
}
