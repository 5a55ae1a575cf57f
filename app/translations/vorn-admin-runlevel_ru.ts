<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>AdminRunlevel</name>
    <message>
        <source>Vorn Runlevels</source>
        <translation>Уровни выполнения Vorn</translation>
    </message>
    <message>
        <source>&amp;Apply all changes</source>
        <translation>&amp;Применить все изменения</translation>
    </message>
    <message>
        <source>&amp;Undo all changes</source>
        <translation>&amp;Отменить все изменения</translation>
    </message>
    <message>
        <source>&amp;Reload</source>
        <translation>О&amp;бновить</translation>
    </message>
    <message>
        <source>F5</source>
        <translation>F5</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Выход</translation>
    </message>
    <message>
        <source>CTRL+Q</source>
        <translation>CTRL+Q</translation>
    </message>
    <message>
        <source>&amp;Enable service</source>
        <translation>&amp;Включить службу</translation>
    </message>
    <message>
        <source>CTRL+S</source>
        <translation>CTRL+S</translation>
    </message>
    <message>
        <source>&amp;Disable service</source>
        <translation>&amp;Отключить службу</translation>
    </message>
    <message>
        <source>CTRL+K</source>
        <translation>CTRL+K</translation>
    </message>
    <message>
        <source>&amp;Start on level</source>
        <translation>&amp;Запускать на уровне</translation>
    </message>
    <message>
        <source>&amp;Stop on level</source>
        <translation>&amp;Останавливать на уровне</translation>
    </message>
    <message>
        <source>&amp;Ignore on level</source>
        <translation>&amp;Игнорировать на уровне</translation>
    </message>
    <message>
        <source>CTRL+I</source>
        <translation>CTRL+I</translation>
    </message>
    <message>
        <source>&amp;Toggle cell</source>
        <translation>&amp;Переключить ячейку</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Изменить</translation>
    </message>
    <message>
        <source>CTRL+E</source>
        <translation>CTRL+E</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>&amp;Найти</translation>
    </message>
    <message>
        <source>&amp;Reset to defaults</source>
        <translation>С&amp;бросить к значениям по умолчанию</translation>
    </message>
    <message>
        <source>CTRL+R</source>
        <translation>CTRL+R</translation>
    </message>
    <message>
        <source>Applying changes needs administrator rights</source>
        <translation>Для применения изменений нужны права администратора</translation>
    </message>
    <message>
        <source>Resetting services needs administrator rights</source>
        <translation>Для сброса служб нужны права администратора</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Service</source>
        <translation>&amp;Служба</translation>
    </message>
    <message>
        <source>&amp;State</source>
        <translation>&amp;Состояние</translation>
    </message>
    <message>
        <source>&amp;Action</source>
        <translation>&amp;Действие</translation>
    </message>
    <message>
        <source>Apply all changes?</source>
        <translation>Применить все изменения?</translation>
    </message>
    <message>
        <source>These services run in runlevel S or at halt or reboot, and will be disabled: %1.</source>
        <translation>Эти службы работают на уровне выполнения S или при выключении и перезагрузке, и они будут отключены: %1.</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Подтверждение</translation>
    </message>
    <message>
        <source>Undo all changes?</source>
        <translation>Отменить все изменения?</translation>
    </message>
    <message>
        <source>Reset to defaults</source>
        <translation>Сброс к значениям по умолчанию</translation>
    </message>
    <message>
        <source>Set defaults values for the selected services?</source>
        <translation>Вернуть выбранным службам значения по умолчанию?</translation>
    </message>
    <message>
        <source>Reload</source>
        <translation>Обновление</translation>
    </message>
    <message>
        <source>Discard the pending changes and read the system again?</source>
        <translation>Отбросить неприменённые изменения и заново прочитать состояние системы?</translation>
    </message>
    <message>
        <source>Apply changes before exit?</source>
        <translation>Применить изменения перед выходом?</translation>
    </message>
    <message>
        <source>Changed meanwhile</source>
        <translation>Изменено тем временем</translation>
    </message>
    <message>
        <source>The boot configuration of %1 changed since the table was read, and nothing was done. Read the system again?</source>
        <translation>Конфигурация загрузки службы %1 изменилась после того, как таблица была прочитана, и ничего не сделано. Прочитать состояние системы заново?</translation>
    </message>
    <message>
        <source>CTRL+RETURN</source>
        <translation>CTRL+RETURN</translation>
    </message>
    <message>
        <source>CTRL+SHIFT+S</source>
        <translation>CTRL+SHIFT+S</translation>
    </message>
    <message>
        <source>CTRL+SHIFT+K</source>
        <translation>CTRL+SHIFT+K</translation>
    </message>
    <message>
        <source>Reload the table and discard the other pending change?</source>
        <translation>Перечитать таблицу и отбросить другое неприменённое изменение?</translation>
    </message>
    <message>
        <source>Reload the table and discard %1 other pending changes?</source>
        <translation>Перечитать таблицу и отбросить другие неприменённые изменения (%1)?</translation>
    </message>
    <message>
        <source>Unapplied changes</source>
        <translation>Неприменённые изменения</translation>
    </message>
    <message>
        <source>Applying the pending changes needs administrator rights; &quot;Restart as administrator&quot; takes them along. Discard them and exit?</source>
        <translation>Для применения изменений нужны права администратора; «Перезапустить от имени администратора» передаст их в новое окно. Отбросить изменения и выйти?</translation>
    </message>
    <message>
        <source>Applied:</source>
        <translation>Применено:</translation>
    </message>
    <message>
        <source>Not applied, still pending:</source>
        <translation>Не применено, по-прежнему ожидает:</translation>
    </message>
    <message>
        <source>Not kept:</source>
        <translation>Не сохранено:</translation>
    </message>
    <message>
        <source>Changes not applied</source>
        <translation>Изменения не применены</translation>
    </message>
    <message>
        <source>Applied: %1 of %2 changes. Not applied, still pending: %3.</source>
        <translation>Применено изменений: %1 из %2. Не применено и по-прежнему ожидает: %3.</translation>
    </message>
    <message>
        <source>Restart as administrator</source>
        <translation>Перезапустить от имени администратора</translation>
    </message>
    <message>
        <source>%1 of the pending changes handed over do not fit the table and were left out.</source>
        <translation>Переданные изменения, не подходящие к таблице, пропущены: %1.</translation>
    </message>
    <message>
        <source>&amp;Boot order</source>
        <translation>&amp;Порядок загрузки</translation>
    </message>
    <message>
        <source>CTRL+B</source>
        <translation>CTRL+B</translation>
    </message>
    <message>
        <source>The boot of a runlevel as a picture: what starts when, and what waits for what</source>
        <translation>Загрузка уровня выполнения в виде схемы: что когда запускается и что чего ждёт</translation>
    </message>
    <message>
        <source>Undo &amp;last apply</source>
        <translation>Отменить &amp;последнее применение</translation>
    </message>
    <message>
        <source>Undoing an apply needs administrator rights</source>
        <translation>Для отмены применения нужны права администратора</translation>
    </message>
    <message>
        <source>reset</source>
        <translation>сброса</translation>
    </message>
    <message>
        <source>dependency edit</source>
        <translation>изменения зависимостей</translation>
    </message>
    <message>
        <source>apply</source>
        <translation>применения</translation>
    </message>
    <message>
        <source>Undo last apply</source>
        <translation>Отмена последнего применения</translation>
    </message>
    <message>
        <source>%1 changed since the %2 of %3 (by another program, or by hand); undoing it would undo that change too. Nothing was done.</source>
        <translation>После %2 от %3 изменились службы: %1 (другой программой или вручную); отмена отменила бы и это изменение. Ничего не сделано.</translation>
    </message>
    <message>
        <source>Put back %1 as before the %2 of %3 by %4?</source>
        <translation>Вернуть %1 в состояние до %2 от %3 (пользователь %4)?</translation>
    </message>
    <message>
        <source>The last apply is undone.</source>
        <translation>Последнее применение отменено.</translation>
    </message>
</context>
<context>
    <name>AdminStatusBar</name>
    <message>
        <source>Show all services</source>
        <translation>Показать все службы</translation>
    </message>
    <message>
        <source>The table no longer matches the system: reload it to see the changes (F5)</source>
        <translation>Таблица больше не соответствует системе: обновите её, чтобы увидеть изменения (F5)</translation>
    </message>
    <message>
        <source>No pending changes</source>
        <translation>Нет неприменённых изменений</translation>
    </message>
    <message>
        <source>Pending changes: %1</source>
        <translation>Неприменённых изменений: %1</translation>
    </message>
    <message>
        <source>Enabled, not running</source>
        <translation>Включены, но не работают</translation>
    </message>
    <message>
        <source>Disabled, running</source>
        <translation>Отключены, но работают</translation>
    </message>
    <message>
        <source>Show the services whose state now differs from how they boot</source>
        <translation>Показать службы, состояние которых сейчас расходится с настройкой загрузки</translation>
    </message>
    <message>
        <source>Filter by state now</source>
        <translation>Фильтр по текущему состоянию</translation>
    </message>
</context>
<context>
    <name>AdministratorBar</name>
    <message>
        <source>Changes need administrator rights</source>
        <translation>Для изменений нужны права администратора</translation>
    </message>
    <message>
        <source>Restart as administrator</source>
        <translation>Перезапустить от имени администратора</translation>
    </message>
    <message>
        <source>Waiting for the administrator&apos;s window; the pending changes go along to it.</source>
        <translation>Ожидание окна администратора; неприменённые изменения будут переданы в него.</translation>
    </message>
    <message>
        <source>Changes need administrator rights. The restart was cancelled; the pending changes stay here.</source>
        <translation>Для изменений нужны права администратора. Перезапуск отменён; неприменённые изменения остаются здесь.</translation>
    </message>
    <message>
        <source>An administrator&apos;s window of this program is open already: it was brought to the front. The pending changes stay here.</source>
        <translation>Окно администратора этой программы уже открыто: оно выведено на передний план. Неприменённые изменения остаются здесь.</translation>
    </message>
    <message>
        <source>pkexec did not start the program as administrator: the user is not allowed to, or no authentication agent runs (pkexec tells why on standard error). The pending changes stay here.</source>
        <translation>pkexec не запустил программу от имени администратора: пользователю это не разрешено или не запущен агент аутентификации (причину pkexec выводит в стандартный поток ошибок). Неприменённые изменения остаются здесь.</translation>
    </message>
    <message>
        <source>The administrator&apos;s instance ended (exit code %1) before its window appeared. The pending changes stay here.</source>
        <translation>Экземпляр администратора завершился (код выхода %1) до появления своего окна. Неприменённые изменения остаются здесь.</translation>
    </message>
    <message>
        <source>%1 could not be started: %2. The pending changes stay here.</source>
        <translation>Не удалось запустить %1: %2. Неприменённые изменения остаются здесь.</translation>
    </message>
</context>
<context>
    <name>BootOrderView</name>
    <message>
        <source>%1 stops at %2.</source>
        <translation>%1 останавливается на шаге %2.</translation>
    </message>
    <message>
        <source>%1 starts at %2.</source>
        <translation>%1 запускается на шаге %2.</translation>
    </message>
    <message>
        <source>It waits for no other service that stops here.</source>
        <translation>Она не ждёт ни одной другой службы, которая здесь останавливается.</translation>
    </message>
    <message>
        <source>It waits for no other service that starts here.</source>
        <translation>Она не ждёт ни одной другой службы, которая здесь запускается.</translation>
    </message>
    <message>
        <source>The longest chain before it: %1.</source>
        <translation>Самая длинная цепочка перед ней: %1.</translation>
    </message>
</context>
<context>
    <name>BootOrderWindow</name>
    <message>
        <source>Boot order</source>
        <translation>Порядок загрузки</translation>
    </message>
    <message>
        <source>Runlevel 0: halt</source>
        <translation>Уровень 0: выключение</translation>
    </message>
    <message>
        <source>Runlevel 6: reboot</source>
        <translation>Уровень 6: перезагрузка</translation>
    </message>
    <message>
        <source>Runlevel S: the system boots</source>
        <translation>Уровень S: начальная загрузка системы</translation>
    </message>
    <message>
        <source>Runlevel %1</source>
        <translation>Уровень %1</translation>
    </message>
    <message>
        <source>After applying the pending changes</source>
        <translation>После применения ожидающих изменений</translation>
    </message>
    <message>
        <source>Try the pending changes on a copy of the boot configuration and show the order they leave beside today&apos;s</source>
        <translation>Опробовать ожидающие изменения на копии конфигурации загрузки и показать получившийся порядок рядом с сегодняшним</translation>
    </message>
    <message>
        <source>Save as SVG…</source>
        <translation>Сохранить как SVG…</translation>
    </message>
    <message>
        <source>Save as PNG…</source>
        <translation>Сохранить как PNG…</translation>
    </message>
    <message>
        <source>Today, as the links are. An arrow leads from a service to one that waits for it; dashed, it only orders them (Should-Start, X-Start-Before, an optional dependency). Point at a service to see why it stands where it does.</source>
        <translation>Сегодня, по имеющимся ссылкам. Стрелка ведёт от службы к той, что её ждёт; пунктирная лишь задаёт порядок (Should-Start, X-Start-Before, необязательная зависимость). Наведите указатель на службу, чтобы узнать, почему она стоит на своём месте.</translation>
    </message>
    <message>
        <source>Runlevel %1: shutdown after the apply</source>
        <translation>Уровень %1: остановка после применения</translation>
    </message>
    <message>
        <source>Runlevel %1: boot after the apply</source>
        <translation>Уровень %1: загрузка после применения</translation>
    </message>
    <message>
        <source>Runlevel %1: shutdown</source>
        <translation>Уровень %1: остановка</translation>
    </message>
    <message>
        <source>Runlevel %1: boot</source>
        <translation>Уровень %1: загрузка</translation>
    </message>
    <message>
        <source>The pending changes cannot be tried on a copy here: %1</source>
        <translation>Здесь нельзя опробовать ожидающие изменения на копии: %1</translation>
    </message>
    <message>
        <source>After applying the pending change, as a rehearsal on a copy left the links.</source>
        <translation>После применения ожидающего изменения: ссылки такие, какими их оставила проба на копии.</translation>
    </message>
    <message numerus="yes">
        <source>After applying the %n pending changes, as a rehearsal on a copy left the links.</source>
        <translation>
            <numerusform>После применения %n ожидающего изменения: ссылки такие, какими их оставила проба на копии.</numerusform>
            <numerusform>После применения %n ожидающих изменений: ссылки такие, какими их оставила проба на копии.</numerusform>
            <numerusform>После применения %n ожидающих изменений: ссылки такие, какими их оставила проба на копии.</numerusform>
        </translation>
    </message>
    <message>
        <source>Tried on a copy, the pending changes would not be applied: %1</source>
        <translation>Проба на копии показала, что ожидающие изменения не будут применены: %1</translation>
    </message>
    <message>
        <source>SVG image (*.svg)</source>
        <translation>Изображение SVG (*.svg)</translation>
    </message>
    <message>
        <source>PNG image (*.png)</source>
        <translation>Изображение PNG (*.png)</translation>
    </message>
    <message>
        <source>Save as SVG</source>
        <translation>Сохранить как SVG</translation>
    </message>
    <message>
        <source>Save as PNG</source>
        <translation>Сохранить как PNG</translation>
    </message>
    <message>
        <source>The picture could not be saved as %1.</source>
        <translation>Не удалось сохранить схему в %1.</translation>
    </message>
</context>
<context>
    <name>DependenciesDialog</name>
    <message>
        <source>%1:</source>
        <translation>%1:</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Применить</translation>
    </message>
    <message>
        <source>Changing dependencies needs administrator rights</source>
        <translation>Для изменения зависимостей нужны права администратора</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Provides</source>
        <translation>Предоставляет</translation>
    </message>
    <message>
        <source>Short-Description</source>
        <translation>Краткое описание</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Описание</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Required by no service</source>
        <translation>Не требуется ни одной службе</translation>
    </message>
    <message>
        <source>Required by</source>
        <translation>Требуется службам</translation>
    </message>
</context>
<context>
    <name>DependenciesWidget</name>
    <message>
        <source>Required-Start</source>
        <translation>Обязательно при запуске</translation>
    </message>
    <message>
        <source>Required-Stop</source>
        <translation>Обязательно при остановке</translation>
    </message>
    <message>
        <source>Should-Start</source>
        <translation>Желательно при запуске</translation>
    </message>
    <message>
        <source>Should-Stop</source>
        <translation>Желательно при остановке</translation>
    </message>
    <message>
        <source>X-Start-Before</source>
        <translation>Запускать раньше</translation>
    </message>
    <message>
        <source>X-Stop-After</source>
        <translation>Останавливать позже</translation>
    </message>
    <message>
        <source>Add dependency kind</source>
        <translation>Добавить вид зависимости</translation>
    </message>
    <message>
        <source>Add dependency</source>
        <translation>Добавить зависимость</translation>
    </message>
    <message>
        <source>Remove dependency kind</source>
        <translation>Удалить вид зависимости</translation>
    </message>
    <message>
        <source>Is optional</source>
        <translation>Необязательная</translation>
    </message>
    <message>
        <source>Remove dependency</source>
        <translation>Удалить зависимость</translation>
    </message>
    <message>
        <source>All possible keywords is used</source>
        <translation>Все возможные ключевые слова уже использованы</translation>
    </message>
    <message>
        <source>Keyword:</source>
        <translation>Ключевое слово:</translation>
    </message>
    <message>
        <source>Service name:</source>
        <translation>Имя службы:</translation>
    </message>
    <message>
        <source>Invalid dependency</source>
        <translation>Недопустимая зависимость</translation>
    </message>
    <message>
        <source>Invalid dependency.</source>
        <translation>Недопустимая зависимость.</translation>
    </message>
    <message>
        <source>Dependency exists</source>
        <translation>Зависимость уже есть</translation>
    </message>
    <message>
        <source>&quot;%1&quot; dependency already exists.</source>
        <translation>Зависимость «%1» уже есть.</translation>
    </message>
    <message>
        <source>Unknown dependency</source>
        <translation>Неизвестная зависимость</translation>
    </message>
    <message>
        <source>No service provides &quot;%1&quot;, and the insserv configuration has no facility of that name: insserv will refuse it.

Add it anyway?</source>
        <translation>Ни одна служба не предоставляет «%1», и в конфигурации insserv нет виртуальной службы с таким именем: insserv отвергнет такую зависимость.

Всё равно добавить?</translation>
    </message>
</context>
<context>
    <name>DependencyGraph</name>
    <message>
        <source>%1 in %2</source>
        <translation>%1 в %2</translation>
    </message>
</context>
<context>
    <name>FindServiceDialog</name>
    <message>
        <source>Find</source>
        <translation>Найти</translation>
    </message>
    <message>
        <source>Service name:</source>
        <translation>Имя службы:</translation>
    </message>
    <message>
        <source>Find service</source>
        <translation>Поиск службы</translation>
    </message>
    <message>
        <source>Service not found.</source>
        <translation>Служба не найдена.</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Далее</translation>
    </message>
</context>
<context>
    <name>InsservMessages</name>
    <message>
        <source>%1 needs %2, which is not enabled: enable %2 or remove the dependency.</source>
        <translation>%1 нуждается в %2, но эта служба не включена: включите %2 или уберите зависимость.</translation>
    </message>
    <message>
        <source>The script %1 is not executable, so insserv leaves it out of the boot: make it executable.</source>
        <translation>Сценарий %1 не является исполняемым, поэтому insserv не включает его в загрузку: сделайте его исполняемым.</translation>
    </message>
    <message>
        <source>%1 provides %2, which another script provides already: only one may.</source>
        <translation>%1 предоставляет %2, но это уже предоставляет другой сценарий: может только один.</translation>
    </message>
    <message>
        <source>%1 is part of a dependency loop: change the dependencies of a service in it.</source>
        <translation>%1 входит в цикл зависимостей: измените зависимости одной из служб в нём.</translation>
    </message>
    <message>
        <source>%1 and %2 require each other through a dependency loop: change the dependencies of one of them.</source>
        <translation>%1 и %2 требуют друг друга через цикл зависимостей: измените зависимости одной из них.</translation>
    </message>
    <message>
        <source>requires</source>
        <translation>требует</translation>
    </message>
    <message>
        <source>wants</source>
        <translation>по возможности ждёт</translation>
    </message>
    <message>
        <source>starts before</source>
        <translation>запускается раньше, чем</translation>
    </message>
    <message>
        <source>stops after</source>
        <translation>останавливается позже, чем</translation>
    </message>
    <message>
        <source>These services wait for each other at shutdown, so insserv cannot order them: %1. Remove one of these dependencies.</source>
        <translation>Эти службы ждут друг друга при остановке, поэтому insserv не может их упорядочить: %1. Уберите одну из этих зависимостей.</translation>
    </message>
    <message>
        <source>These services wait for each other at boot, so insserv cannot order them: %1. Remove one of these dependencies.</source>
        <translation>Эти службы ждут друг друга при загрузке, поэтому insserv не может их упорядочить: %1. Уберите одну из этих зависимостей.</translation>
    </message>
    <message>
        <source>%1 %2 %3 (%4)</source>
        <translation>%1 %2 %3 (%4)</translation>
    </message>
    <message>
        <source>, which %1 provides</source>
        <translation>, которую предоставляет %1</translation>
    </message>
    <message>
        <source>, which %1 provides (%2 in %3)</source>
        <translation>, которую предоставляет %1 (%2 в %3)</translation>
    </message>
    <message>
        <source>%1 needs %2 in runlevels %3, where %2 does not start: start %2 there, or stop %1 there.</source>
        <translation>%1 нуждается в %2 на уровнях выполнения %3, где %2 не запускается: запустите там %2 или остановите там %1.</translation>
    </message>
    <message>
        <source>%1 needs %2%3, which no script provides: install it or remove the dependency.</source>
        <translation>%1 нуждается в %2%3, но ни один сценарий её не предоставляет: установите её или уберите зависимость.</translation>
    </message>
    <message>
        <source>%1 and %2 both provide %3: remove it from the Provides of one of them.</source>
        <translation>%1 и %2 обе предоставляют %3: уберите это имя из Provides одной из них.</translation>
    </message>
    <message>
        <source>%1 must wait for %2%3, which waits for every other service ($all): that cannot be met. Remove %2 from the dependencies of %1, or $all from those of %2%4.</source>
        <translation>%1 должна ждать %2%3, а та ждёт все остальные службы ($all): это условие невыполнимо. Уберите %2 из зависимостей %1 или $all из зависимостей %2%4.</translation>
    </message>
    <message>
        <source>The header of %1 both starts and stops it in the same runlevels: remove them from its Default-Start or its Default-Stop.</source>
        <translation>Заголовок %1 одновременно запускает и останавливает её на одних и тех же уровнях выполнения: уберите их из Default-Start или из Default-Stop.</translation>
    </message>
</context>
<context>
    <name>NoticeBar</name>
    <message>
        <source>Details…</source>
        <translation>Подробности…</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Boot configuration</source>
        <translation>Конфигурация загрузки</translation>
    </message>
    <message>
        <source>Edit dependencies…</source>
        <translation>Изменить зависимости…</translation>
    </message>
</context>
<context>
    <name>PendingEdits</name>
    <message>
        <source>no such runlevel</source>
        <translation>нет такого уровня выполнения</translation>
    </message>
    <message>
        <source>no such service in the table</source>
        <translation>такой службы нет в таблице</translation>
    </message>
    <message>
        <source>not an edit the table makes</source>
        <translation>такое изменение таблица не делает</translation>
    </message>
    <message>
        <source>%1: enable</source>
        <translation>%1: включить</translation>
    </message>
    <message>
        <source>%1: disable</source>
        <translation>%1: отключить</translation>
    </message>
    <message>
        <source>%1: start on level %2</source>
        <translation>%1: запускать на уровне %2</translation>
    </message>
    <message>
        <source>%1: stop on level %2</source>
        <translation>%1: останавливать на уровне %2</translation>
    </message>
    <message>
        <source>%1: ignore on level %2</source>
        <translation>%1: игнорировать на уровне %2</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source>An error has occured on processing &quot;%1&quot;  service!</source>
        <translation>Ошибка при обработке службы «%1»!</translation>
    </message>
    <message>
        <source>An error has occured on processing &quot;%1&quot;  service: %2</source>
        <translation>Ошибка при обработке службы «%1»: %2</translation>
    </message>
    <message>
        <source>Overrides directory &quot;%1&quot; does not exist.</source>
        <translation>Каталог переопределений «%1» не существует.</translation>
    </message>
</context>
<context>
    <name>QtSingleApplication</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1 is a symbolic link</source>
        <translation>%1 — символическая ссылка</translation>
    </message>
    <message>
        <source>%1 is not a directory</source>
        <translation>%1 — не каталог</translation>
    </message>
    <message>
        <source>%1 belongs to another user</source>
        <translation>%1 принадлежит другому пользователю</translation>
    </message>
    <message>
        <source>%1 is open to other users</source>
        <translation>%1 доступен другим пользователям</translation>
    </message>
    <message>
        <source>No private directory for the single-instance lock (%1): this instance runs alone.</source>
        <translation>Нет личного каталога для блокировки единственного экземпляра (%1): этот экземпляр работает отдельно.</translation>
    </message>
</context>
<context>
    <name>ServiceControl</name>
    <message>
        <source>Starting and stopping services needs administrator rights</source>
        <translation>Для запуска и остановки служб нужны права администратора</translation>
    </message>
    <message>
        <source>Start &amp;now</source>
        <translation>&amp;Запустить сейчас</translation>
    </message>
    <message>
        <source>St&amp;op now</source>
        <translation>Ос&amp;тановить сейчас</translation>
    </message>
    <message>
        <source>Restar&amp;t now</source>
        <translation>&amp;Перезапустить сейчас</translation>
    </message>
    <message>
        <source>Start now</source>
        <translation>Запустить сейчас</translation>
    </message>
    <message>
        <source>Stop now</source>
        <translation>Остановить сейчас</translation>
    </message>
    <message>
        <source>Restart now</source>
        <translation>Перезапустить сейчас</translation>
    </message>
    <message>
        <source>Restart %1 now?</source>
        <translation>Перезапустить сейчас: %1?</translation>
    </message>
    <message>
        <source>Start %1 now?</source>
        <translation>Запустить сейчас: %1?</translation>
    </message>
    <message>
        <source>Stop %1 now?</source>
        <translation>Остановить сейчас: %1?</translation>
    </message>
    <message>
        <source>This happens at once: it is not a pending change, and undo cannot take it back.</source>
        <translation>Это выполняется сразу, а не как неприменённое изменение, и отменить это нельзя.</translation>
    </message>
    <message>
        <source>Step %1 of %2: %3</source>
        <translation>Шаг %1 из %2: %3</translation>
    </message>
    <message>
        <source>Asking the services how they run now</source>
        <translation>Запрос текущего состояния служб</translation>
    </message>
    <message>
        <source>Exit status %1</source>
        <translation>Код завершения %1</translation>
    </message>
    <message>
        <source>Ended by a signal</source>
        <translation>Завершён сигналом</translation>
    </message>
    <message>
        <source>Ended: no answer within %1 seconds</source>
        <translation>Прерван: нет ответа за %1 с</translation>
    </message>
    <message>
        <source>Ended at your request</source>
        <translation>Прерван по вашему запросу</translation>
    </message>
    <message>
        <source>%1 could not be run</source>
        <translation>Не удалось запустить %1</translation>
    </message>
    <message>
        <source>Not run</source>
        <translation>Не запускался</translation>
    </message>
    <message>
        <source>state now: %1</source>
        <translation>состояние сейчас: %1</translation>
    </message>
    <message>
        <source>Could not start: %1.</source>
        <translation>Не удалось запустить: %1.</translation>
    </message>
    <message>
        <source>Could not stop: %1.</source>
        <translation>Не удалось остановить: %1.</translation>
    </message>
    <message>
        <source>Could not restart: %1.</source>
        <translation>Не удалось перезапустить: %1.</translation>
    </message>
</context>
<context>
    <name>ServiceTable</name>
    <message>
        <source>Changes are applied</source>
        <translation>Изменения применены</translation>
    </message>
    <message>
        <source>Reset is completed</source>
        <translation>Сброс выполнен</translation>
    </message>
    <message>
        <source>Service</source>
        <translation>Служба</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Запуск</translation>
    </message>
    <message>
        <source>Runlevel %1</source>
        <translation>Уровень %1</translation>
    </message>
    <message>
        <source>Kill</source>
        <translation>Останов</translation>
    </message>
    <message>
        <source>Override: %1</source>
        <translation>Переопределение: %1</translation>
    </message>
    <message>
        <source>Runlevel %1: services started, in boot order</source>
        <translation>Уровень выполнения %1: запускаемые службы в порядке загрузки</translation>
    </message>
    <message>
        <source>Runlevel %1: services stopped, in shutdown order</source>
        <translation>Уровень выполнения %1: останавливаемые службы в порядке завершения работы</translation>
    </message>
    <message>
        <source>%1: none</source>
        <translation>%1: нет</translation>
    </message>
    <message>
        <source>disable service</source>
        <translation>отключить службу</translation>
    </message>
    <message>
        <source>enable service</source>
        <translation>включить службу</translation>
    </message>
    <message>
        <source>ignore</source>
        <translation>игнорировать</translation>
    </message>
    <message>
        <source>start</source>
        <translation>запускать</translation>
    </message>
    <message>
        <source>stop</source>
        <translation>останавливать</translation>
    </message>
    <message>
        <source>edit service</source>
        <translation>изменить службу</translation>
    </message>
    <message>
        <source>Service changes</source>
        <translation>Изменения службы</translation>
    </message>
    <message>
        <source>Apply changes?</source>
        <translation>Применить изменения?</translation>
    </message>
    <message>
        <source>Error while creating override file</source>
        <translation>Ошибка при создании файла переопределения</translation>
    </message>
    <message>
        <source>Error while resetting service settings</source>
        <translation>Ошибка при сбросе настроек службы</translation>
    </message>
    <message>
        <source>Error while overriding dependencies</source>
        <translation>Ошибка при переопределении зависимостей</translation>
    </message>
    <message>
        <source>Deleted: %1</source>
        <translation>Удалён: %1</translation>
    </message>
    <message>
        <source>Written: %1</source>
        <translation>Записан: %1</translation>
    </message>
    <message>
        <source>Applying</source>
        <translation>Применение</translation>
    </message>
    <message>
        <source>Step %1 of %2: %3</source>
        <translation>Шаг %1 из %2: %3</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Результат</translation>
    </message>
    <message>
        <source>on</source>
        <translation>вкл</translation>
    </message>
    <message>
        <source>off</source>
        <translation>выкл</translation>
    </message>
    <message>
        <source>Trying the changes on a copy</source>
        <translation>Проверка изменений на копии</translation>
    </message>
    <message>
        <source>Step %1 of %2 on a copy: %3</source>
        <translation>Шаг %1 из %2 на копии: %3</translation>
    </message>
    <message>
        <source>Not applied</source>
        <translation>Не применено</translation>
    </message>
    <message>
        <source>The changes were tried on a copy of the boot configuration first, and nothing was changed on this machine:</source>
        <translation>Изменения сначала опробованы на копии конфигурации загрузки, и на этой машине ничего не изменено:</translation>
    </message>
    <message>
        <source>These changes cannot be tried on a copy first (%1); only insserv&apos;s dry runs check them before the machine changes.</source>
        <translation>Эти изменения нельзя сначала опробовать на копии (%1); до изменения машины их проверяют только пробные запуски insserv.</translation>
    </message>
    <message>
        <source>The listing of insserv holds lines that name no service; the table leaves them out.</source>
        <translation>В выводе insserv есть строки, не называющие ни одной службы; таблица их пропускает.</translation>
    </message>
    <message>
        <source>insserv refuses the boot configuration as it is: %1 The table shows the links as they are; change what it names to repair it.</source>
        <translation>insserv отвергает текущую конфигурацию загрузки: %1 Таблица показывает ссылки как есть; исправьте то, что названо, чтобы восстановить её.</translation>
    </message>
    <message>
        <source>it gives no reason.</source>
        <translation>причина не указана.</translation>
    </message>
    <message>
        <source>insserv warns about the boot configuration.</source>
        <translation>insserv выдаёт предупреждения о конфигурации загрузки.</translation>
    </message>
    <message>
        <source>The links differ from what insserv would make of the headers; the next apply brings them up to date, and its preview shows how.</source>
        <translation>Ссылки отличаются от тех, что insserv создал бы по заголовкам; следующее применение обновит их, а его предварительный просмотр покажет, как.</translation>
    </message>
    <message>
        <source>The links insserv made are not the ones the table shows; everything was restored as it was.</source>
        <translation>insserv создал не те ссылки, что показывает таблица; всё восстановлено как было.</translation>
    </message>
    <message>
        <source>runlevel %1: %2 instead of %3</source>
        <translation>уровень %1: %2 вместо %3</translation>
    </message>
    <message>
        <source>missing %1</source>
        <translation>нет %1</translation>
    </message>
    <message>
        <source>left %1</source>
        <translation>остались %1</translation>
    </message>
    <message>
        <source>its override differs</source>
        <translation>её переопределение отличается</translation>
    </message>
    <message>
        <source>stopping %1 in runlevels %2</source>
        <translation>остановка %1 на уровнях %2</translation>
    </message>
    <message>
        <source>disabling %1</source>
        <translation>отключение %1</translation>
    </message>
    <message>
        <source>%1 requires %2 in runlevels %3; %4 would stop %1 from starting.</source>
        <translation>%1 требует %2 на уровнях выполнения %3; %4 не даст %1 запуститься.</translation>
    </message>
    <message>
        <source>The script %1 is not executable, so insserv leaves it out of the boot: make it executable.</source>
        <translation>Сценарий %1 не является исполняемым, поэтому insserv не включает его в загрузку: сделайте его исполняемым.</translation>
    </message>
    <message>
        <source>The links of %1 would not be what the table shows: %2.</source>
        <translation>Ссылки %1 оказались бы не такими, как показывает таблица: %2.</translation>
    </message>
    <message>
        <source>%1 would change as well, which the table does not show: %2.</source>
        <translation>%1 тоже изменилась бы, чего таблица не показывает: %2.</translation>
    </message>
    <message>
        <source>%1: override deleted</source>
        <translation>%1: переопределение удалено</translation>
    </message>
    <message>
        <source>%1 leads nowhere and goes</source>
        <translation>%1 никуда не ведёт и удаляется</translation>
    </message>
    <message>
        <source>runlevel %1: %2 appears</source>
        <translation>уровень %1: появляется %2</translation>
    </message>
    <message>
        <source>runlevel %1: %2 goes</source>
        <translation>уровень %1: удаляется %2</translation>
    </message>
    <message>
        <source>runlevel %1: %2 becomes %3</source>
        <translation>уровень %1: %2 становится %3</translation>
    </message>
    <message>
        <source>Services (%1): %2; overrides written or deleted: %3; program runs: %4</source>
        <translation>Службы (%1): %2; записано или удалено переопределений: %3; запусков программ: %4</translation>
    </message>
    <message>
        <source>%1:</source>
        <translation>%1:</translation>
    </message>
    <message>
        <source>Done:</source>
        <translation>Выполнено:</translation>
    </message>
    <message>
        <source>Not as the table shows:</source>
        <translation>Не так, как показывает таблица:</translation>
    </message>
    <message>
        <source>Restored exactly as before:</source>
        <translation>Восстановлено в точности как было:</translation>
    </message>
    <message>
        <source>Not restored:</source>
        <translation>Не восстановлено:</translation>
    </message>
    <message>
        <source>No scratch directory: %1</source>
        <translation>Нет временного каталога: %1</translation>
    </message>
    <message>
        <source>The boot configuration could not be copied: %1</source>
        <translation>Не удалось скопировать конфигурацию загрузки: %1</translation>
    </message>
    <message>
        <source>No private mount namespace: %1</source>
        <translation>Нет отдельного пространства имён монтирования: %1</translation>
    </message>
    <message>
        <source>Write the new dependencies of %1 and register it again?</source>
        <translation>Записать новые зависимости службы %1 и зарегистрировать её заново?</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Подтверждение</translation>
    </message>
    <message>
        <source>Enabled, not running</source>
        <translation>Включены, но не работают</translation>
    </message>
    <message>
        <source>Disabled, running</source>
        <translation>Отключены, но работают</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>Работает</translation>
    </message>
    <message>
        <source>Not running</source>
        <translation>Не работает</translation>
    </message>
    <message>
        <source>Dead (pid file left)</source>
        <translation>Аварийно завершена (остался pid-файл)</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Неизвестно</translation>
    </message>
    <message numerus="yes">
        <source>%1 requires %n service</source>
        <translation>
            <numerusform>%1 требует %n службу</numerusform>
            <numerusform>%1 требует %n службы</numerusform>
            <numerusform>%1 требует %n служб</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 requires %n services</source>
        <translation>
            <numerusform>%1 требует %n службу</numerusform>
            <numerusform>%1 требует %n службы</numerusform>
            <numerusform>%1 требует %n служб</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n service requires %1</source>
        <translation>
            <numerusform>%n служба требует %1</numerusform>
            <numerusform>%n службы требуют %1</numerusform>
            <numerusform>%n служб требуют %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n services require %1</source>
        <translation>
            <numerusform>%n служба требует %1</numerusform>
            <numerusform>%n службы требуют %1</numerusform>
            <numerusform>%n служб требуют %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n more starts after it when it runs (Should-Start)</source>
        <translation>
            <numerusform>ещё %n запускается после неё, когда она работает (Should-Start)</numerusform>
            <numerusform>ещё %n запускаются после неё, когда она работает (Should-Start)</numerusform>
            <numerusform>ещё %n запускаются после неё, когда она работает (Should-Start)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n more start after it when it runs (Should-Start)</source>
        <translation>
            <numerusform>ещё %n запускается после неё, когда она работает (Should-Start)</numerusform>
            <numerusform>ещё %n запускаются после неё, когда она работает (Should-Start)</numerusform>
            <numerusform>ещё %n запускаются после неё, когда она работает (Should-Start)</numerusform>
        </translation>
    </message>
    <message>
        <source>Edit dependencies of %1…</source>
        <translation>Изменить зависимости %1…</translation>
    </message>
    <message>
        <source>Edit dependencies…</source>
        <translation>Изменить зависимости…</translation>
    </message>
    <message>
        <source>The package manager is running; apply when it has finished.</source>
        <translation>Работает менеджер пакетов; примените изменения, когда он закончит.</translation>
    </message>
    <message>
        <source>Package manager running</source>
        <translation>Работает менеджер пакетов</translation>
    </message>
    <message>
        <source>Applied, with a warning</source>
        <translation>Применено, с предупреждением</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Предупреждение</translation>
    </message>
    <message>
        <source>The history could not keep this apply (%1), so it cannot be undone from the program.</source>
        <translation>История не смогла сохранить это применение (%1), поэтому его нельзя отменить из программы.</translation>
    </message>
    <message>
        <source>etckeeper keeps /etc: whatever is uncommitted there is committed first (&quot;saving uncommitted changes in /etc prior to vorn-admin-runlevel run&quot;), and these changes are committed afterwards with a message that lists them.</source>
        <translation>/etc ведётся в etckeeper: сначала фиксируется всё незафиксированное там («saving uncommitted changes in /etc prior to vorn-admin-runlevel run»), а после эти изменения фиксируются с сообщением, которое их перечисляет.</translation>
    </message>
    <message>
        <source>etckeeper could not commit what was uncommitted in /etc before the change: %1</source>
        <translation>etckeeper не смог зафиксировать незафиксированное в /etc перед изменением: %1</translation>
    </message>
    <message>
        <source>etckeeper could not commit the change in /etc: %1</source>
        <translation>etckeeper не смог зафиксировать изменение в /etc: %1</translation>
    </message>
    <message>
        <source>it did not finish in time</source>
        <translation>он не завершился вовремя</translation>
    </message>
    <message>
        <source>exit status %1</source>
        <translation>код завершения %1</translation>
    </message>
    <message>
        <source>The links of %1 could not be put back.</source>
        <translation>Не удалось вернуть ссылки %1.</translation>
    </message>
    <message>
        <source>insserv&apos;s dependency files could not be put back.</source>
        <translation>Не удалось вернуть файлы зависимостей insserv.</translation>
    </message>
    <message>
        <source>Links put back: none</source>
        <translation>Возвращены ссылки: нет</translation>
    </message>
    <message>
        <source>Links put back: %1</source>
        <translation>Возвращены ссылки: %1</translation>
    </message>
    <message>
        <source>insserv&apos;s dependency files put back: %1</source>
        <translation>Возвращены файлы зависимостей insserv: %1</translation>
    </message>
    <message>
        <source>Renumbered only (%1): %2</source>
        <translation>Только перенумерованы (%1): %2</translation>
    </message>
    <message>
        <source>Links put back:</source>
        <translation>Возвращены ссылки:</translation>
    </message>
</context>
<context>
    <name>StartStopOfferDialog</name>
    <message>
        <source>Start and stop now</source>
        <translation>Запуск и остановка сейчас</translation>
    </message>
    <message>
        <source>Enabling and disabling take effect at the next boot. These services can also be started or stopped now:</source>
        <translation>Включение и отключение подействуют при следующей загрузке. Эти службы можно также запустить или остановить сейчас:</translation>
    </message>
    <message>
        <source>Enabled, not running: start now</source>
        <translation>Включены, но не работают: запустить сейчас</translation>
    </message>
    <message>
        <source>Disabled, running: stop now</source>
        <translation>Отключены, но работают: остановить сейчас</translation>
    </message>
    <message>
        <source>Start and stop the checked services</source>
        <translation>Запустить и остановить отмеченные службы</translation>
    </message>
</context>
<context>
    <name>VornHelpMenu</name>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <source>&amp;About %1</source>
        <translation>&amp;О программе %1</translation>
    </message>
    <message>
        <source>About &amp;Qt</source>
        <translation>О &amp;Qt</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>О программе %1</translation>
    </message>
    <message>
        <source>&lt;h3&gt;%1&lt;/h3&gt;&lt;p&gt;Version %2&lt;/p&gt;</source>
        <translation>&lt;h3&gt;%1&lt;/h3&gt;&lt;p&gt;Версия %2&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>%1 is running already: its window was brought to the front.</source>
        <translation>%1 уже запущена: её окно выведено на передний план.</translation>
    </message>
    <message>
        <source>%1 is running already, but did not answer.</source>
        <translation>%1 уже запущена, но не отвечает.</translation>
    </message>
</context>
</TS>
